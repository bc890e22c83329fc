#pragma once
// How captured bytes become the script's text, the parts that need no code page tables: where a read may cut the
// bytes without splitting a character, and the zero bytes that a C string cannot carry.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace hostkit::programs {

// How many leading bytes of `bytes` are whole UTF-8 characters: an unfinished sequence at the end (a lead byte
// whose continuation bytes have not all come) waits. A malformed sequence counts as whole; the conversion makes it
// the replacement character.
std::size_t WholeUtf8(std::string_view bytes);

// The same for a double-byte code page: `is_lead` says whether a byte starts a two-byte character. A lead byte that
// ends the bytes waits for its trail byte.
std::size_t WholeDoubleByte(std::string_view bytes, const std::function<bool(unsigned char)>& is_lead);

// The text without its zero bytes: the script's result is a C string, and a zero would cut it short.
std::string WithoutZeros(std::string text);

}  // namespace hostkit::programs
