// The regex commands' results: dialect, lists, the zero-length rule, replace and slices.
#include <gtest/gtest.h>

#include <locale>
#include <regex>
#include <string>

#include "regex/commands.h"

namespace {

using namespace hostkit::regex;

struct Case {
  const char* text;
  const char* pattern;
  const char* expected;
};

TEST(RegexMatch, WholeTextOnlyInTheDialect) {
  const struct {
    const char* text;
    const char* pattern;
    int expected;
  } cases[] = {
      {"abc", "a.c", 1},
      {"abc", "b", 0},
      {"", ".*", 0},
      {"abc", "", 0},
      {"a\nb", "a.b", 0},
      {"a\rb", "a.b", 0},
      {"ABC", "abc", 0},
      {"a\nb", "a$\n^b", 1},
      {"a\rb", "a$\r^b", 0},
      {"ab", "(a", 0},
      {"\xE9t\xE9", "\xE9.\xE9", 1},
      // Counts and group numbers past the engine's int were cut to their low bits: a{4294967297} read as a{1}.
      {"a", "a{4294967297}", 0},
      {"aa", "(a)\\4294967297", 0},
      {"aa", "a{0000000000002}", 1},
      {"a{4294967297}", "[{]a[{]4294967297[}]", 0},
      {"a{4294967297}", "a[{]4294967297[}]", 1},
      {"a9999999999", "[[:alpha:]]\\0?9{10}", 1},
      // "\\c" takes the next character with it, inside and outside brackets: the number after it is still checked.
      {"\\", "\\c\\{4294967297}", 0},
      {"[aa", "\\c[(a)\\4294967297", 0},
      {"]a", "[\\c]a{4294967297}]", 0},
      {"A", "\\cA", 1},
      {"\\\\", "\\c\\{2}", 1},  // the engine keeps the character itself
  };
  for (const auto& c : cases) EXPECT_EQ(Match(c.text, c.pattern), c.expected) << c.text << " ~ " << c.pattern;
}

TEST(RegexSearch, ListsEveryMatchWithItsGroupsUnescaped) {
  const Case cases[] = {
      {"a,b\\", "[,\\\\]", R"([",","\"])"},
      {"k=v;x=", "(\\w)=(\\w)?", R"(["k=v","k","v","x=","x",""])"},
      {"ab", "(", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Search(c.text, c.pattern), c.expected) << c.text << " ~ " << c.pattern;
}

TEST(RegexSearch, PositionsAreAbsoluteAndEmptyMatchesStepOneByte) {
  const Case cases[] = {
      {"aa", "a*", "[{0,2},{2,0}]"},
      {"ab", "\\b", "[{0,0},{1,0}]"},  // every remainder is a fresh input: "b" starts a word there
      {"", "x*", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SearchPositions(c.text, c.pattern), c.expected) << c.text << " ~ " << c.pattern;
}

TEST(RegexDialect, AnchorsWorkAtLineFeedsButNotCarriageReturns) {
  EXPECT_EQ(Replace("x\r\ny", "^", ">"), ">x\r\n>y");
  EXPECT_EQ(Replace("x\r\ny", "$", "<"), "x\r<\ny<");
  EXPECT_EQ(SearchPositions("x\r\ny\rz", "^."), "[{0,1},{3,1}]");  // "z" follows a carriage return only
  EXPECT_EQ(Replace("a\rb\nc", "^.", "#"), "#\rb\n#");
  EXPECT_EQ(Match("\r", "\\r"), 1);
  EXPECT_EQ(Match("\r", "[\\r]"), 1);
}

// The reference's line rule is the dialect's: "^" and "$" at line feeds only. libstdc++ takes a character for a
// line end when the regex's ctype facet narrows it to "\n" or "\r"; this facet narrows "\r" to the fallback.
class LineFeedsOnly final : public std::ctype<char> {
 protected:
  char do_narrow(char c, char fallback) const override { return c == '\r' ? fallback : c; }
  const char* do_narrow(const char* low, const char* high, char fallback, char* to) const override {
    for (; low != high; ++low, ++to) *to = do_narrow(*low, fallback);
    return high;
  }
};

std::regex Reference(const char* pattern) {
  std::regex re;
  re.imbue(std::locale(std::locale::classic(), new LineFeedsOnly));
  re.assign(pattern, std::regex::ECMAScript | std::regex::multiline);
  return re;
}

// The facet itself: with it the reference keeps a carriage return inside a line, as the dialect does; without it
// the engine ends lines there.
TEST(RegexReplace, ReferenceEndsLinesAtLineFeedsOnly) {
  const std::string text = "a\rb\nc";
  EXPECT_EQ(std::regex_replace(text, Reference("^"), ">"), ">a\rb\n>c");
  EXPECT_EQ(std::regex_replace(text, std::regex("^", std::regex::ECMAScript | std::regex::multiline), ">"),
            ">a\r>b\n>c");
}

// The walk runs through the guard, not std::regex_replace: it must still give exactly what that gives.
TEST(RegexReplace, AgreesWithStdRegexReplace) {
  const char* texts[] = {"",         "abc",    "aaa",      "baab",   "a\nb\n",  "xyz xyz",
                         "ab ab ba", "a\rb\r", "\ra\r\nb", "ab\r\n", "\r\r\na", "b\rab\na\r"};
  const char* patterns[] = {"a*",  "a|b", "^",        "$",   "\\b", "(a)|(b)", "(?=a)", "b*?",
                            "^a*", "a*$", "(a*)(b?)", "\\B", "^.",  ".$",      "\\r$",  "^\\r?"};
  const char* replacements[] = {"-", "[$&]", "$`|$'", "$2$1$$", "$"};
  for (const char* text : texts)
    for (const char* pattern : patterns)
      for (const char* replacement : replacements) {
        if (*text == '\0') continue;
        const std::regex re = Reference(pattern);
        EXPECT_EQ(Replace(text, pattern, replacement), std::regex_replace(std::string(text), re, replacement))
            << text << " ~ " << pattern << " -> " << replacement;
      }
}

TEST(RegexReplace, SliceIsClampedAndSearchedAsAWholeInput) {
  const struct {
    const char* text;
    const char* pattern;
    int start, end;
    const char* expected;
  } cases[] = {
      {"hello world", "o", 0, 5, "hell0"},
      {"hello world", "o", 6, -1, "w0rld"},
      {"hello world", "o", 20, -1, "hell0 w0rld"},
      {"hello world", "o", -3, 100, "hell0 w0rld"},
      {"hello world", "o", 3, 3, ""},
      {"hello world", "x*", 3, 3, "0"},
      {"hello world", "^w", 6, 11, "0orld"},
      {"hello world", "o$", 0, 5, "hell0"},
      {"hello world", "\\bw", 7, 11, "orld"},
      {"hello world", "o", 8, 2, "he"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ReplaceSlice(c.text, c.pattern, "0", c.start, c.end), c.expected) << c.start << ".." << c.end;
}

}  // namespace
