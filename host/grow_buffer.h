#pragma once
// Reading a text from a platform call that fills a caller's buffer, with the length rule shared by
// GetEnvironmentVariableA and SearchPathA: on success the answer counts the text without its terminator;
// when the buffer is too small it is the size needed, terminator included, and the buffer holds nothing
// useful; 0 means failure (or an empty text, which serves no better here).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace hostkit {

// A value may change between two calls, so a bigger buffer can be answered with a still bigger size; after
// this many calls the read gives up rather than chase it.
inline constexpr int kGrowAttempts = 4;

// `call(char* buffer, std::uint32_t size)` answers a count under the rule above. The text, or nullopt on
// failure, when the answer does not grow (a platform that asks for exactly the room it had would otherwise
// be asked again forever), or after kGrowAttempts calls.
template <class Call>
std::optional<std::string> ReadGrowing(Call&& call, std::uint32_t first_size = 260) {
  std::string text(first_size, '\0');
  for (int attempt = 0; attempt < kGrowAttempts; ++attempt) {
    const std::uint32_t size = static_cast<std::uint32_t>(text.size());
    const std::uint32_t answer = static_cast<std::uint32_t>(call(text.data(), size));
    if (answer == 0) return std::nullopt;
    if (answer < size) {
      text.resize(strnlen(text.data(), answer));
      return text;
    }
    if (answer == size) return std::nullopt;
    text.assign(answer, '\0');
  }
  return std::nullopt;
}

}  // namespace hostkit
