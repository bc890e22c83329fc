#include "fs/space_text.h"

namespace hostkit::fs {

std::string DecimalText(std::uint64_t value) {
  char digits[20];  // 2^64 - 1 has 20 digits
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::string text;
  while (count > 0) text += digits[--count];
  return text;
}

std::string DriveSpaceText(const DriveSpace& space, int item) {
  switch (item) {
    case 0:
      return DecimalText(space.available);
    case 1:
      return DecimalText(space.total);
    case 2:
      return DecimalText(space.free);
    default:
      return {};
  }
}

}  // namespace hostkit::fs
