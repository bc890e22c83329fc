#pragma once
// The space on a volume (Win32 layer).
#include <string>

namespace hostkit::fs {

// Item 0 the bytes available to this user, 1 the volume's size, 2 its free bytes, from GetDiskFreeSpaceExA of
// the root (any folder of the volume serves); "" for another item (no platform call) or a failed query.
std::string SystemDriveSpace(const char* root, int item);

}  // namespace hostkit::fs
