#pragma once
// The answers of GetSystemDriveSpace: one of a volume's three byte counts as a decimal number.
#include <cstdint>
#include <string>

namespace hostkit::fs {

// The three counts of GetDiskFreeSpaceExA, in bytes.
struct DriveSpace {
  std::uint64_t available = 0;  // free space this user may fill (quotas included)
  std::uint64_t total = 0;      // the volume's size
  std::uint64_t free = 0;       // free space on the whole volume
};

// Item 0 the available space, 1 the size, 2 the free space.
constexpr bool IsDriveSpaceItem(int item) noexcept { return item >= 0 && item <= 2; }

// The decimal digits of a 64-bit count, without sign or grouping. Made here rather than by "%llu": the msvcrt
// that older systems carry does not know the ll length and prints only the low 32 bits.
std::string DecimalText(std::uint64_t value);

// The chosen item as DecimalText; "" for an unknown item.
std::string DriveSpaceText(const DriveSpace& space, int item);

}  // namespace hostkit::fs
