// The regex commands' results: dialect, lists, the zero-length rule, replace and slices.
#include <gtest/gtest.h>

#include <locale>
#include <regex>
#include <string>

#include "regex/commands.h"
#include "regex/pattern_cache.h"
#include "tests/unit/bare_positions.h"

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

std::regex Reference(const char* pattern, std::regex::flag_type extra = {}) {
  std::regex re;
  re.imbue(std::locale(std::locale::classic(), new LineFeedsOnly));
  re.assign(pattern, std::regex::ECMAScript | std::regex::multiline | extra);
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

namespace {

// A leading flag group as the reference reads it: "i" is the engine's icase, "s" turns each "." into "[\\s\\S]"
// (the patterns below hold no "." in brackets or after a backslash). Natively the case folding is the C locale's:
// ASCII letters only; the code page's letters are tested under Wine.
std::regex FlaggedReference(std::string pattern) {
  std::regex::flag_type extra{};
  if (pattern.rfind("(?", 0) == 0) {
    const std::size_t close = pattern.find(')');
    const std::string letters = pattern.substr(2, close - 2);
    pattern.erase(0, close + 1);
    if (letters.find('i') != std::string::npos) extra |= std::regex::icase;
    if (letters.find('s') != std::string::npos)
      for (std::size_t at = 0; (at = pattern.find('.', at)) != std::string::npos; at += 6)
        pattern.replace(at, 1, "[\\s\\S]");
  }
  return Reference(pattern.c_str(), extra);
}

// Every command under each flag and pair agrees with the engine's own icase and a "." that takes line ends, over
// texts where a match needs the other case, a line end inside it, or a back-reference in the other case. The long
// texts put the one match far into a text in the other case, past where the skip filters (a literal prefix, a
// needed byte, a line start, a leading run and the byte that ends it) would wrongly give up if they kept the
// pattern's case.
TEST(RegexFlags, EveryCommandAgreesWithTheEnginesIcaseAndDotAll) {
  const std::string filler(3000, 'x');
  const std::string texts[] = {"/GIVE sword\n/give Axe",
                               "Error 12\r\nERROR 7 error",
                               "aA Aa ab\nBA",
                               "Q.q\r\n.z",
                               filler + "xERRORx 42 " + filler,
                               filler + "\nWARN: disk " + filler,
                               filler + "kEy=VALUE" + filler};
  const char* patterns[] = {"(?i)^/give (\\w+)", "(?i)error ([0-9]+)", "(?i)(a)\\1", "(?i)[a-c]+",
                            "(?i)[[:upper:]]b",  "(?s)r.\\n",          "(?s)^.*$",   "(?is)e.*?7",
                            "(?si)2..e",         "(?i)^warn: (d)",     "(?i)key=v",  "(?i)[^a]x",
                            "(?i)x\\x65Rr",      "(?i)e(?=r)",         "(?is)a.b",   "(?i)[K-Y]+=v"};
  for (const std::string& text : texts)
    for (const char* pattern : patterns) {
      const std::regex re = FlaggedReference(pattern);
      EXPECT_EQ(SearchPositions(text, pattern), BarePositions(text, re)) << pattern << " in " << text.substr(0, 30);
      EXPECT_EQ(Replace(text, pattern, "<$&>"), std::regex_replace(text, re, "<$&>")) << pattern;
      EXPECT_EQ(Match(text, pattern), std::regex_match(text, re) ? 1 : 0) << pattern;
      EXPECT_EQ(Search(text, pattern).empty(), BarePositions(text, re).empty()) << pattern;
      EXPECT_STREQ(LastError(), "") << pattern;
    }
}

// A flag group is part of the pattern's bytes: "abc" and "(?i)abc" are two cache entries with their own answers,
// whichever is compiled first.
TEST(RegexFlags, CacheKeysOnTheWholePattern) {
  PatternCache::Shared().Clear();
  EXPECT_EQ(Match("ABC", "abc"), 0);
  EXPECT_EQ(Match("ABC", "(?i)abc"), 1);
  EXPECT_EQ(Match("ABC", "abc"), 0);
  EXPECT_TRUE(PatternCache::Shared().Holds("abc"));
  EXPECT_TRUE(PatternCache::Shared().Holds("(?i)abc"));
  EXPECT_EQ(PatternCache::Shared().entries(), 2u);
}

TEST(RegexFlags, MisplacedUnknownOrEmptyFlagGroupsAndForeignGroupsAreRejectedByName) {
  const struct {
    const char* pattern;
    const char* error;
  } cases[] = {
      {"(?x)a", "pattern rejected: flag 'x' unknown (the flags are i and s)"},
      {"(?m)^a", "pattern rejected: flag 'm' unknown: ^ and $ work at every line already"},
      {"(?)a", "pattern rejected: flag group empty"},
      {"a(?)", "pattern rejected: flag group empty"},
      {"(?ii)a", "pattern rejected: flag 'i' repeated"},
      {"(?i", "pattern rejected: flag group unclosed"},
      {"(?i:a)", "pattern rejected: flag group ends at ':': only (?i), (?s), (?is) or (?si)"},
      {"a(?i)b", "pattern rejected: flag group (?i...) only at the start of the pattern"},
      {"(?i)(?s)a", "pattern rejected: flag group (?s...) only at the start of the pattern"},
      {"(?i)a(", "pattern rejected: unbalanced parenthesis"},  // the rest is the engine's to judge
      // Groups of other dialects, which the engine reads as an unbalanced parenthesis.
      {"(?-i)abc", "pattern rejected: flag '-' unknown: only (?i), (?s), (?is) or (?si) at the start"},
      {"(?i-s)abc", "pattern rejected: flag '-' unknown: only (?i), (?s), (?is) or (?si) at the start"},
      {"(?#c)abc", "pattern rejected: comments are not supported"},
      {"(?i)a(?#c)", "pattern rejected: comments are not supported"},
      {"(?<n>abc)", "pattern rejected: named groups are not supported"},
      {"(?P<n>abc)", "pattern rejected: named groups are not supported"},
      {"(?<=a)b", "pattern rejected: lookbehind is not supported"},
      {"x(?<!a)b", "pattern rejected: lookbehind is not supported"},
  };
  for (const auto& c : cases)
    for (int again = 0; again < 2; ++again) {  // the second call is no cached verdict without its reason
      EXPECT_EQ(Search("a", c.pattern), "") << c.pattern;
      EXPECT_STREQ(LastError(), c.error) << c.pattern;
    }
  // What only looks like a flag group stays what it was: an escaped parenthesis, a bracket.
  EXPECT_EQ(Match("(?i)", "\\(\\?i\\)"), 1);
  EXPECT_EQ(Match("i", "[(?i)]"), 1);
  EXPECT_EQ(Match("a\nb", "(?:a.b)"), 0);
  EXPECT_EQ(Match("<", "[(?<]"), 1);
  EXPECT_EQ(Match("(?#", "\\(\\?#"), 1);
}

// A flag group alone has nothing to match: every command answers as for the empty pattern, with no error.
TEST(RegexFlags, AFlagGroupAloneIsTheEmptyPattern) {
  for (const char* pattern : {"", "(?i)", "(?s)", "(?is)", "(?si)"}) {
    EXPECT_EQ(Match("ab", "(a"), 0);  // leaves an error behind
    EXPECT_EQ(Match("ABC", pattern), 0) << pattern;
    EXPECT_STREQ(LastError(), "") << pattern;
    EXPECT_EQ(Search("ABC", pattern), "") << pattern;
    EXPECT_EQ(SearchPositions("ABC", pattern), "") << pattern;
    EXPECT_EQ(Replace("ABC", pattern, "-"), "") << pattern;
    EXPECT_EQ(ReplaceSlice("ABC", pattern, "-", 0, -1), "") << pattern;
  }
}

}  // namespace
