#pragma once
// Opening a file, folder or URL with its default verb, as the desktop's shell does (Win32 layer).

namespace hostkit::window {

// ShellExecuteExA with the default verb, shown normally, without the system's error boxes, returning once the
// start is done. 0 on success, else the platform's code; an empty target is 87 without a call.
int ShellOpen(const char* target, const char* parameters);

}  // namespace hostkit::window
