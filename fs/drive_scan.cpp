#include "fs/drive_scan.h"

namespace hostkit::fs {

int DriveScan::Seek(std::uint32_t mask) noexcept {
  for (; index_ < kEnd; ++index_)
    if (mask & (std::uint32_t{1} << index_)) return index_;
  return -1;
}

int DriveScan::First(std::uint32_t mask) noexcept {
  index_ = 0;
  return Seek(mask);
}

int DriveScan::Next(std::uint32_t mask) noexcept {
  if (index_ < kEnd) ++index_;
  return Seek(mask);
}

}  // namespace hostkit::fs
