#pragma once
// The text in a clipboard block: it ends at its terminator, or at the block's end where a program left none
// (portable rule; the block's size comes from GlobalSize, which may round up).
#include <cstddef>
#include <string_view>

namespace hostkit::window {

// The text of `Char` units in a block of `bytes` bytes: whole units only, up to the first zero unit.
template <class Char>
std::basic_string_view<Char> TextInBlock(const void* data, std::size_t bytes) noexcept {
  if (data == nullptr) return {};
  const auto* text = static_cast<const Char*>(data);
  const std::size_t units = bytes / sizeof(Char);
  std::size_t length = 0;
  while (length < units && text[length] != Char{}) ++length;
  return {text, length};
}

}  // namespace hostkit::window
