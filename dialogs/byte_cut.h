#pragma once
// Cutting ANSI text to a number of bytes without splitting a double-byte character.
#include <array>
#include <cstddef>
#include <string_view>

namespace hostkit::dialogs {

// Which bytes start a double-byte character in the code page the text is in (all false for a single-byte one).
using LeadBytes = std::array<bool, 256>;

// The length of the longest start of `text` that fits in `max_bytes` and ends on a character boundary: a lead byte
// and the byte after it stay together. A lead byte that is the text's last byte counts as a character of its own.
std::size_t CutLength(std::string_view text, std::size_t max_bytes, const LeadBytes& lead);

}  // namespace hostkit::dialogs
