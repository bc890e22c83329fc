#pragma once
// Moving a file or folder to the recycle bin (Win32 layer).

namespace hostkit::fs {

// SHFileOperationA's FO_DELETE with FOF_ALLOWUNDO, silent and without confirmation or error boxes, on the path
// made full. 0 on success, else the call's code; refusals without a platform call: an empty path 87, a
// wildcard 123, and (once made full) a drive or share root 5.
int FileRecycle(const char* path);

}  // namespace hostkit::fs
