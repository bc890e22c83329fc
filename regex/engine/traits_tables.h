#pragma once
// The dialect's locale, and its per-byte answers read once per process. std::regex_traits<char> looks a facet up
// in its locale for every byte it is asked about, and transform_primary also lowers a copy on the heap and asks
// the collate facet for a key: compiling one bracket asks each of these for all 256 bytes, which measured 90% of
// compiling "[0-9]+". The tables hold exactly what the base traits answer for the dialect's locale
// (tests/unit/regex_traits_tables_test.cpp compares them byte for byte).
#include <cstdint>
#include <locale>
#include <regex>
#include <string>

namespace hostkit::regex {

// The classic locale whose ctype facet narrows "\r" to the default character, so that "^" and "$" (multiline)
// see line feeds as the only line ends (regex/engine/dialect.cpp imbues it).
const std::locale& DialectLocale();
// The same, with the code page's case folding (regex/engine/case_fold.h): the locale of a pattern under "i".
const std::locale& IcaseLocale();

struct TraitsTables {
  using Mask = std::ctype_base::mask;
  // ctype::tolower: translate_nocase.
  char lower[256];
  // transform_primary of the single byte: the collate key of its lowered form.
  std::string primary[256];
  // Every bit b of the mask type with ctype::is(b, byte): is(m, byte) is (masks[byte] & m) != 0.
  Mask masks[256];
  // ctype::widen('_'): "\w" takes it besides the alphanumerics.
  char underscore;
  // value(byte, radix) for the radices the engine asks (8, 10, 16): -1 where the byte is no digit of the radix.
  std::int8_t digit8[256];
  std::int8_t digit10[256];
  std::int8_t digit16[256];
  // Under "i" (IcaseLocale) the other case of each byte, for back-references; null otherwise.
  const unsigned char* other_case = nullptr;

  bool IsCtype(char c, std::regex_traits<char>::char_class_type f) const {
    const unsigned char b = static_cast<unsigned char>(c);
    return (masks[b] & f._M_base) != 0 ||
           ((f._M_extended & std::regex_traits<char>::char_class_type::_S_under) != 0 && c == underscore);
  }
  // The digit table of a radix, or null for one without a table (the caller asks the base traits).
  const std::int8_t* DigitsOf(int radix) const {
    return radix == 8 ? digit8 : radix == 10 ? digit10 : radix == 16 ? digit16 : nullptr;
  }
};

// The tables of the dialect's locale, or of its "i" twin, when loc is one of them (a copy shares its implementation),
// else null: traits imbued with any other locale answer through the base. Made at the first call, safely from any
// thread.
const TraitsTables* TablesFor(const std::locale& loc);

}  // namespace hostkit::regex
