#include "regex/engine/case_fold.h"

#include <locale>

#ifdef _WIN32
#include <windows.h>
#endif

namespace hostkit::regex {
namespace {

// The platform's own answer for one byte: CharLowerBuffA and CharUpperBuffA work in the ANSI code page and change
// exactly the count given (no terminator needed).
unsigned char PlatformLower(unsigned char b) {
#ifdef _WIN32
  char c = static_cast<char>(b);
  CharLowerBuffA(&c, 1);
  return static_cast<unsigned char>(c);
#else
  return static_cast<unsigned char>(
      std::use_facet<std::ctype<char> >(std::locale::classic()).tolower(static_cast<char>(b)));
#endif
}

unsigned char PlatformUpper(unsigned char b) {
#ifdef _WIN32
  char c = static_cast<char>(b);
  CharUpperBuffA(&c, 1);
  return static_cast<unsigned char>(c);
#else
  return static_cast<unsigned char>(
      std::use_facet<std::ctype<char> >(std::locale::classic()).toupper(static_cast<char>(b)));
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
    const unsigned char up = PlatformUpper(b);
    if (up != b && up >= 0x80 && PlatformLower(up) == b) pair(b, up);
  }
  return f;
}

}  // namespace

const CaseFold& CodePageFold() {
  static const CaseFold fold = MakeFold();
  return fold;
}

}  // namespace hostkit::regex
