#pragma once
// Moving a file or folder to the recycle bin (Win32 layer).

namespace hostkit::fs {

// SHFileOperationA's FO_DELETE with FOF_ALLOWUNDO, silent and without confirmation or error boxes, on the path
// made full. 0 on success, else the call's code; refusals without a platform call: an empty path 87, a
// wildcard 123, and (once made full) a drive or share root 5, the working folder or a folder that contains
// it 16, a missing item 2 or 3, a volume without a recycle bin 50. The shell's own codes come back as Win32
// codes.
int FileRecycle(const char* path);

}  // namespace hostkit::fs
