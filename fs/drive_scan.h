#pragma once
// The drive scan: a position over the 32 bits of the present-drives mask that lasts between calls.
#include <array>
#include <cstdint>

namespace hostkit::fs {

class DriveScan {
 public:
  static constexpr int kEnd = 32;

  // Restarts at bit 0; answers the first set bit, or -1 (the scan has then ended).
  int First(std::uint32_t mask) noexcept;
  // Answers the next set bit after the position, or -1 now and on every later call until First.
  // The position starts at 0, so a Next before any First begins after drive A.
  int Next(std::uint32_t mask) noexcept;

  int position() const noexcept { return index_; }

 private:
  int Seek(std::uint32_t mask) noexcept;
  int index_ = 0;
};

// The drive letter of mask bit n: "A" for bit 0.
constexpr char DriveLetter(int bit) noexcept { return static_cast<char>('A' + bit); }

// The scan's answer as the host takes it, always 3 bytes: "X:" for a drive, "" once the scan has ended (the
// colon stays behind the terminator, as hosts have always seen it).
using DriveText = std::array<char, 3>;
constexpr DriveText DriveTextOf(int bit) noexcept {
  return {bit >= 0 && bit < DriveScan::kEnd ? DriveLetter(bit) : '\0', ':', '\0'};
}

}  // namespace hostkit::fs
