#pragma once
// The clipboard tests' text: every byte value but 0, over and over, so that no byte is left out or changed.
#include <cstddef>
#include <string>

namespace e2e {

inline std::string ClipboardPattern(std::size_t bytes) {
  std::string text(bytes, '\0');
  for (std::size_t i = 0; i < bytes; ++i) text[i] = static_cast<char>(1 + i % 255);
  return text;
}

}  // namespace e2e
