#pragma once
// The drive scan: a position over the 32 bits of the present-drives mask that lasts between calls.
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

}  // namespace hostkit::fs
