#include "regex/engine/case_fold.h"

#include <locale>

#ifdef _WIN32
#include <windows.h>
#endif

namespace hostkit::regex {
namespace {

enum class Case { kLower, kUpper };

// The platform's own answer for one byte: CharLowerBuffA and CharUpperBuffA work in the ANSI code page and change
// exactly the count given (no terminator needed).
unsigned char PlatformCase(unsigned char b, Case to) {
#ifdef _WIN32
  char c = static_cast<char>(b);
  if (to == Case::kLower)
    CharLowerBuffA(&c, 1);
  else
    CharUpperBuffA(&c, 1);
  return static_cast<unsigned char>(c);
#else
  const auto& ctype = std::use_facet<std::ctype<char> >(std::locale::classic());
  const char c = static_cast<char>(b);
  return static_cast<unsigned char>(to == Case::kLower ? ctype.tolower(c) : ctype.toupper(c));
#endif
}

// Pairs only: a lower case whose upper case lowers back to it. The engine compares lowered bytes, so a one-way
// answer (a byte that uppers to a letter lowering elsewhere) would make "x" match what "x" itself does not; such
// bytes, and any byte below 0x80 other than the ASCII letters, stay themselves.
CaseFold MakeFold() {
  CaseFold f{};
  for (int i = 0; i < 256; ++i) f.lower[i] = f.upper[i] = f.other[i] = static_cast<unsigned char>(i);
  auto pair = [&f](unsigned char lower, unsigned char upper) {
    if (lower == upper || f.other[lower] != lower || f.other[upper] != upper) return;
    f.lower[upper] = lower;
    f.upper[lower] = upper;
    f.other[lower] = upper;
    f.other[upper] = lower;
  };
  for (int c = 'a'; c <= 'z'; ++c) pair(static_cast<unsigned char>(c), static_cast<unsigned char>(c - 'a' + 'A'));
  for (int i = 0x80; i < 256; ++i) {
    const auto b = static_cast<unsigned char>(i);
    const unsigned char up = PlatformCase(b, Case::kUpper);
    if (up != b && up >= 0x80 && PlatformCase(up, Case::kLower) == b) pair(b, up);
  }
  return f;
}

}  // namespace

const CaseFold& CodePageFold() {
  static const CaseFold fold = MakeFold();
  return fold;
}

}  // namespace hostkit::regex
