#pragma once
// The word for each drive type value the platform reports (0 DRIVE_UNKNOWN to 6 DRIVE_RAMDISK).
namespace hostkit::fs {

// "" for a value outside 0 to 6.
const char* DriveTypeWord(unsigned type) noexcept;

}  // namespace hostkit::fs
