#include "regex/engine/traits_tables.h"

#include <climits>

#include "regex/engine/case_fold.h"

namespace hostkit::regex {
namespace {

// libstdc++ asks the regex's locale whether a character ends a line: it narrows the character through the ctype
// facet and, under ECMAScript, takes both "\n" and "\r" (so "^" matched at 0, 2 and 3 in "x\r\ny"). A facet that
// narrows "\r" to the default character leaves line feeds as the only line ends. The pattern scanner narrows only
// to look up special characters, and "\r" is none, so patterns read exactly as before.
class LineFeedCtype : public std::ctype<char> {
 protected:
  char do_narrow(char c, char fallback) const override { return c == '\r' ? fallback : c; }
  const char* do_narrow(const char* low, const char* high, char fallback, char* to) const override {
    for (; low != high; ++low, ++to) *to = do_narrow(*low, fallback);
    return high;
  }
};

// The "i" flag's facet: cases folded as the code page folds them (regex/engine/case_fold.h). The engine lowers
// through translate_nocase, and reads this facet's tolower and toupper itself for a bracket's ranges; the class
// masks stay the C locale's, so "\\w" and "[[:alpha:]]" mean what they mean without the flag.
class FoldingCtype final : public LineFeedCtype {
 protected:
  char do_tolower(char c) const override {
    return static_cast<char>(CodePageFold().lower[static_cast<unsigned char>(c)]);
  }
  char do_toupper(char c) const override {
    return static_cast<char>(CodePageFold().upper[static_cast<unsigned char>(c)]);
  }
  const char* do_tolower(char* low, const char* high) const override {
    for (; low != high; ++low) *low = do_tolower(*low);
    return high;
  }
  const char* do_toupper(char* low, const char* high) const override {
    for (; low != high; ++low) *low = do_toupper(*low);
    return high;
  }
};

TraitsTables MakeTables(const std::locale& loc, const unsigned char* other_case) {
  using Mask = TraitsTables::Mask;
  const std::regex_traits<char> base = [&] {
    std::regex_traits<char> traits;
    traits.imbue(loc);
    return traits;
  }();
  const auto& ctype = std::use_facet<std::ctype<char>>(loc);
  TraitsTables t{};
  t.underscore = ctype.widen('_');
  for (int i = 0; i < 256; ++i) {
    const char c = static_cast<char>(i);
    t.lower[i] = base.translate_nocase(c);
    t.primary[i] = base.transform_primary(&c, &c + 1);
    Mask mask = 0;
    for (unsigned bit = 0; bit < sizeof(Mask) * CHAR_BIT; ++bit) {
      const Mask m = static_cast<Mask>(Mask{1} << bit);
      if (ctype.is(m, c)) mask = static_cast<Mask>(mask | m);
    }
    t.masks[i] = mask;
    t.digit8[i] = static_cast<std::int8_t>(base.value(c, 8));
    t.digit10[i] = static_cast<std::int8_t>(base.value(c, 10));
    t.digit16[i] = static_cast<std::int8_t>(base.value(c, 16));
  }
  t.other_case = other_case;
  return t;
}

}  // namespace

const std::locale& DialectLocale() {
  static const std::locale locale(std::locale::classic(), new LineFeedCtype);
  return locale;
}

const std::locale& IcaseLocale() {
  static const std::locale locale(std::locale::classic(), new FoldingCtype);
  return locale;
}

const TraitsTables* TablesFor(const std::locale& loc) {
  if (loc == DialectLocale()) {
    static const TraitsTables tables = MakeTables(DialectLocale(), nullptr);
    return &tables;
  }
  if (loc == IcaseLocale()) {
    static const TraitsTables tables = MakeTables(IcaseLocale(), CodePageFold().other);
    return &tables;
  }
  return nullptr;
}

}  // namespace hostkit::regex
