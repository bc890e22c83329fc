// The regex commands through the real DLL in a real Wine process: results and the guard that keeps
// runaway and oversized patterns from crashing or hanging the process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "tests/e2e/harness/host.h"

namespace {

using hostrun::HostDouble;

std::optional<std::string> Some(const char* text) { return std::string(text); }

TEST(RegexCommands, GiveTheDocumentedResults) {
  HostDouble& host = e2e::Host();
  EXPECT_EQ(host.Int("RegExMatch", "abc", "a.c"), 1);
  EXPECT_EQ(host.Int("RegExMatch", "abc", "b"), 0);
  EXPECT_EQ(host.Int("RegExMatch", "", ".*"), 0);
  EXPECT_EQ(host.Int("RegExMatch", "a\nb", "a.b"), 0);
  EXPECT_EQ(host.Int("RegExMatch", nullptr, ".*"), 0);
  EXPECT_EQ(host.Int("RegExMatch", "ab", "(a"), 0);

  const struct {
    const char* command;
    const char* text;
    const char* pattern;
    const char* expected;
  } searches[] = {
      {"RegExSearch", "a1b22", "[0-9]+", R"(["1","22"])"},
      {"RegExSearchPosition", "a1b22", "[0-9]+", "[{1,1},{3,2}]"},
      {"RegExSearch", "ab ac", "a(b)?", R"(["ab","b","a",""])"},
      {"RegExSearchPosition", "ab\nab", "b$", "[{1,1},{4,1}]"},
      {"RegExSearch", "aaa", "^a", R"(["a","a","a"])"},
      {"RegExSearchPosition", "aaa", "^a", "[{0,1},{1,1},{2,1}]"},
      {"RegExSearch", "a\"b", "\"", R"(["""])"},
      {"RegExSearch", "50%", "[0-9]+%", R"(["50%"])"},
      {"RegExSearch", "abc", "x", ""},
      {"RegExSearchPosition", "abc", "x", ""},
      {"RegExSearchPosition", "abc", "x*", "[{0,0},{1,0},{2,0},{3,0}]"},
      {"RegExSearchPosition", "baa", "a*", "[{0,0},{1,2},{3,0}]"},
      {"RegExSearch", "abc", "x*", R"(["","","",""])"},
      {"RegExSearch", "abc", "[", ""},
      {"RegExSearch", "abc", nullptr, ""},
  };
  for (const auto& c : searches)
    EXPECT_EQ(host.Str(c.command, c.text, c.pattern), Some(c.expected)) << c.command << " " << c.pattern;

  const struct {
    const char* text;
    const char* pattern;
    const char* replacement;
    const char* expected;
  } replaces[] = {
      {"abcb", "b", "x", "axcx"},    {"abab", "(a)(b)", "$2$1", "baba"}, {"a-b", "-", "[$&]", "a[-]b"},
      {"a-b", "-", "$$", "a$b"},     {"a-b", "-", "$`", "aab"},          {"a-b", "-", "$'", "abb"},
      {"abc", "b", "", ""},          {"abc", "x", "y", "abc"},           {"aaa", "^a", "b", "baa"},
      {"abc", "x*", "-", "-a-b-c-"}, {"a\nb", "^", "> ", "> a\n> b"},    {"100%", "%", " percent", "100 percent"},
      {"a", "a", "%d", "%d"},        {"x\r\ny", "^", ">", ">x\r\n>y"},   {"x\r\ny", "$", "<", "x\r<\ny<"},
  };
  for (const auto& c : replaces)
    EXPECT_EQ(host.Str("RegExReplace", c.text, c.pattern, c.replacement), Some(c.expected)) << c.pattern;

  const struct {
    int start, end;
    const char* expected;
  } slices[] = {{0, 5, "hell0"}, {6, -1, "w0rld"}, {20, -1, "hell0 w0rld"}, {-3, 100, "hell0 w0rld"}, {4, 4, ""}};
  for (const auto& c : slices)
    EXPECT_EQ(host.Str("RegExReplace", "hello world", "o", "0", c.start, c.end), Some(c.expected)) << c.start;
  EXPECT_EQ(host.Str("RegExReplace", "hello world", "x*", "0", 4, 4), Some("0"));
}

// Groups of other dialects are named, and a flag group alone is the empty pattern (no error), through the DLL.
TEST(RegexCommands, ForeignGroupsAreNamedAndAFlagGroupAloneIsEmpty) {
  HostDouble& host = e2e::Host();
  const struct {
    const char* pattern;
    const char* error;
  } cases[] = {
      {"(?-i)abc", "pattern rejected: flag '-' unknown: only (?i), (?s), (?is) or (?si) at the start"},
      {"(?<n>abc)", "pattern rejected: named groups are not supported"},
      {"(?<!a)b", "pattern rejected: lookbehind is not supported"},
      {"(?i)", ""},
      {"(?si)", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(host.Str("RegExSearch", "ABC", c.pattern), Some("")) << c.pattern;
    EXPECT_EQ(host.Str("GetRegExError"), Some(c.error)) << c.pattern;
  }
  EXPECT_EQ(host.Str("RegExReplace", "ABC", "(?s)", "-"), Some(""));
}

TEST(RegexCommands, ResultsAreSizedExactly) {
  HostDouble& host = e2e::Host();
  const auto list = host.Str("RegExSearch", "a1b22", "[0-9]+");
  ASSERT_TRUE(list);
  EXPECT_EQ(HostDouble::Account().sizes.back(), static_cast<std::int32_t>(list->size() + 1));
  const auto none = host.Str("RegExSearchPosition", "abc", "x");
  EXPECT_EQ(none, Some(""));
  EXPECT_EQ(HostDouble::Account().sizes.back(), 1);
}

// Each case returns the right answer or the failure value, and the process lives on to answer the next call.
TEST(RegexGuard, RunawayAndOversizedPatternsNeitherCrashNorHang) {
  HostDouble& host = e2e::Host();
  auto positions = [&](const std::string& text, const std::string& pattern) {
    return host.Str("RegExSearchPosition", text, pattern).value_or("null");
  };
  // Deep recursion: right answers on the large worker stack (32 MB for texts under 4 MB: a share of the memory
  // bound, since Wine commits a thread's whole stack).
  EXPECT_EQ(positions(std::string(40000, 'a'), "(a|b)*"), "[{0,40000},{40000,0}]");
  for (const char* pattern : {"[ab]*", ".*"})
    EXPECT_EQ(positions(std::string(100000, 'a'), pattern), "[{0,100000},{100000,0}]") << pattern;
  EXPECT_EQ(positions(std::string(100000, 'a'), "\\w+"), "[{0,100000}]");
  EXPECT_EQ(host.Str("RegExReplace", std::string(40000, 'b'), "(a|b)*", "x"), Some("xx"));
  // Too deep even there: the failure value.
  EXPECT_EQ(positions(std::string(2000000, 'a'), "(a|b)*"), "");
  // Exponential backtracking ends at the step budget.
  EXPECT_EQ(positions(std::string(40, 'a') + "cb", "(a+)+b"), "");  // the "b" lets the searches start
  EXPECT_EQ(positions("xx", "(x)?(?:|){40}\\1"), "");
  EXPECT_EQ(host.Str("RegExReplace", std::string(200000, 'a'), "a", "$'"), Some(""));  // quadratic output
  // Oversized patterns: nested groups, long literals, long chains of empty alternatives.
  const std::string nested = std::string(30000, '(') + "a" + std::string(30000, ')');
  const std::string deep = positions("a", nested);
  EXPECT_TRUE(deep.empty() || deep == "[{0,1}]") << deep;
  EXPECT_EQ(positions(std::string(10000, 'a'), std::string(10000, 'a')), "[{0,10000}]");
  EXPECT_EQ(positions("a", std::string(200000, 'a')), "");
  const std::string chain = positions("x", "(?:|){15000}x");
  EXPECT_TRUE(chain.empty() || chain == "[{0,1}]") << chain;
  EXPECT_EQ(host.Int("RegExMatch", "x", "(?:|){15000}x"), 1);

  EXPECT_EQ(positions("a1b22", "[0-9]+"), "[{1,1},{3,2}]");
  EXPECT_EQ(HostDouble::Account().live, 0);
}

}  // namespace

namespace {

// Under "i" the bytes past 0x7F fold as the process's ANSI code page folds them; the tests' Wine prefix runs code
// page 1252. Its pairs fold, in characters, brackets, back-references and the skip filters' prefix; bytes that are
// no pair there (the multiplication sign, sharp s) match only themselves, and without the flag nothing folds.
TEST(RegexCommands, IcaseFoldsTheCodePagesLetters) {
  ASSERT_EQ(GetACP(), 1252u);
  HostDouble& host = e2e::Host();
  const struct {
    const char* text;
    const char* pattern;
    int expected;
  } cases[] = {
      {"\xC9T\xC9", "(?i)\xE9t\xE9", 1},    // ÉTÉ ~ été
      {"\x8A\x9F", "(?i)\x9A\xFF", 1},      // ŠŸ ~ šÿ
      {"\xFF\x9A", "(?i)[\x9F][\x8A]", 1},  // brackets
      {"\xE9\xC9", "(?i)(\xE9)\\1", 1},     // back-reference in the other case
      {"\xC9", "\xE9", 0},                  // no flag, no folding
      {"\xF7", "(?i)\xD7", 0},              // ÷ and × are no pair
      {"\xDF", "(?i)\xDF", 1},              // ß is itself
      {"\xDF", "(?i)ss", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(host.Int("RegExMatch", c.text, c.pattern), c.expected) << c.pattern;
  // A long text whose one match is in the other case, far in: the prefix scan must look for both cases.
  const std::string text = std::string(100000, 'x') + "\xC9L\xC8VE" + std::string(100000, 'x');
  EXPECT_EQ(host.Str("RegExSearchPosition", text, "(?i)\xE9l\xE8ve"), Some("[{100000,5}]"));
}

}  // namespace
