#pragma once
// Host linkage and result strings: the host hands over a lookup function, from which the library takes the
// host's create-string function; every string result is formatted straight into a buffer from that function.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace hostkit::host {

// Both host functions are cdecl (the i686 default) and answer a pointer-sized value.
using LookupFn = std::intptr_t (*)(const char* name);
using CreateStringFn = std::intptr_t (*)(std::int32_t size_with_terminator);

// Stores the lookup, takes "CREATESTRING_S_L" from it, then returns its answer for "DELETESTRING_0_S".
std::intptr_t ReceiveQVRPtr(LookupFn lookup);

// True once the host has given a create-string function; string commands return null without it.
bool HasCreateString() noexcept;

// printf-style formatting into a host buffer of exactly the formatted length plus one byte.
// The format is always a literal of the library; user and system text goes through "%s".
// Returns the empty result when the host refuses the sized buffer, null when it gives no buffer at all.
char* FormatResult(const char* format, ...) noexcept __attribute__((format(printf, 1, 2)));

// The result "" (a one-byte buffer), or null without a buffer.
char* EmptyResult() noexcept;

// A whole text as the result: FormatResult("%s", text).
char* TextResult(const std::string& text) noexcept;

// A text of a fixed size as the result, for a host that expects an exact buffer: `size` bytes copied as they
// are into a host buffer of exactly `size` bytes, the last one always the terminator. Null without a buffer.
char* FixedResult(const char* bytes, std::int32_t size) noexcept;
template <std::size_t N>
char* FixedResult(const std::array<char, N>& text) noexcept {
  static_assert(N > 0 && N < INT32_MAX);
  return FixedResult(text.data(), static_cast<std::int32_t>(N));
}

}  // namespace hostkit::host
