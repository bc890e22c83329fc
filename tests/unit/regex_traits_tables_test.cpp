// The dialect's traits answer from tables (regex/engine/traits_tables.h): every answer, for every byte, against
// std::regex_traits<char> imbued with the same locale, so that a compile through the tables is the compile
// through the base.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/engine/dialect.h"
#include "regex/engine/traits.h"

namespace {

using namespace hostkit::regex;

template <class T>
T Imbued(const std::locale& loc) {
  T traits;
  traits.imbue(loc);
  return traits;
}

TEST(RegexTraitsTables, EveryByteAnswersAsTheBaseTraits) {
  const auto base = Imbued<std::regex_traits<char>>(DialectLocale());
  const auto fast = Imbued<Traits>(DialectLocale());
  for (int i = 0; i < 256; ++i) {
    const char c = static_cast<char>(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(fast.translate(c), base.translate(c));
    EXPECT_EQ(fast.translate_nocase(c), base.translate_nocase(c));
    EXPECT_EQ(fast.transform_primary(&c, &c + 1), base.transform_primary(&c, &c + 1));
    for (const int radix : {8, 10, 16}) EXPECT_EQ(fast.value(c, radix), base.value(c, radix)) << radix;
  }
  // Longer ranges are no table's: the base answers them.
  const std::string two = "Ab";
  EXPECT_EQ(fast.transform_primary(two.begin(), two.end()), base.transform_primary(two.begin(), two.end()));
}

TEST(RegexTraitsTables, EveryClassNameTestsEveryByteAsTheBaseTraits) {
  const auto base = Imbued<std::regex_traits<char>>(DialectLocale());
  const auto fast = Imbued<Traits>(DialectLocale());
  const std::vector<std::string> names = {"d",     "w",     "s",     "alnum", "alpha", "blank", "cntrl", "digit",
                                          "graph", "lower", "print", "punct", "space", "upper", "xdigit"};
  using Class = Traits::char_class_type;
  std::vector<Class> classes;
  for (const std::string& name : names)
    for (const bool icase : {false, true}) {
      const Class f = base.lookup_classname(name.begin(), name.end(), icase);
      ASSERT_NE(f, Class{}) << name;
      classes.push_back(f);
    }
  // Brackets test a byte against the union of their classes: "[[:w:][:punct:]]", "\\s\\d".
  const std::size_t singles = classes.size();
  for (std::size_t a = 0; a < singles; ++a) classes.push_back(classes[a] | classes[(a * 7 + 3) % singles]);
  for (std::size_t k = 0; k < classes.size(); ++k)
    for (int i = 0; i < 256; ++i) {
      const char c = static_cast<char>(i);
      ASSERT_EQ(fast.isctype(c, classes[k]), base.isctype(c, classes[k]))
          << "class " << k << " (" << names[k % singles / 2] << "), byte " << i;
    }
}

TEST(RegexTraitsTables, OnlyTheDialectLocaleHasTables) {
  EXPECT_NE(TablesFor(DialectLocale()), nullptr);
  EXPECT_EQ(TablesFor(std::locale(DialectLocale())), TablesFor(DialectLocale())) << "a copy shares the tables";
  EXPECT_EQ(TablesFor(std::locale::classic()), nullptr);
}

}  // namespace
