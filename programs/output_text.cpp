#include "programs/output_text.h"

#include <algorithm>

namespace hostkit::programs {

std::size_t WholeUtf8(std::string_view bytes) {
  // Looks back over at most three continuation bytes for the lead byte of the last character.
  const std::size_t size = bytes.size();
  for (std::size_t back = 1; back <= 4 && back <= size; ++back) {
    const auto byte = static_cast<unsigned char>(bytes[size - back]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    std::size_t length = 1;
    if ((byte & 0xE0) == 0xC0)
      length = 2;
    else if ((byte & 0xF0) == 0xE0)
      length = 3;
    else if ((byte & 0xF8) == 0xF0)
      length = 4;
    return back < length ? size - back : size;
  }
  return size;
}

std::size_t WholeDoubleByte(std::string_view bytes, const std::function<bool(unsigned char)>& is_lead) {
  // A trail byte may look like a lead byte, so the walk starts at the front.
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t length = is_lead(static_cast<unsigned char>(bytes[at])) ? 2 : 1;
    if (at + length > bytes.size()) return at;
    at += length;
  }
  return at;
}

std::string WithoutZeros(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  return text;
}

}  // namespace hostkit::programs
