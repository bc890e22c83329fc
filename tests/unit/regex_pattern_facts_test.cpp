// What the pattern reader derives, the places the start filter gives, and the walks with skipping against the bare
// engine's walks over texts long enough for places to be skipped.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "regex/commands.h"
#include "regex/engine/dialect.h"
#include "regex/skip/pattern_facts.h"
#include "regex/skip/start_filter.h"
#include "tests/unit/bare_positions.h"

namespace {

using namespace hostkit::regex;

PatternFacts Read(const std::string& pattern) { return ReadPatternFacts(pattern, Compile(pattern).getloc()); }

constexpr int kUnknown = -2;  // the reader gives up: every place is tried

struct FactsCase {
  const char* pattern;
  int nullable;  // 1, 0, or kUnknown
  bool line_start;
  const char* in;      // bytes the start set must hold (when not nullable)
  const char* out;     // bytes it must not hold
  const char* needed;  // the bytes every match needs, beside the prefix
};

TEST(RegexPatternFacts, TrickyShapes) {
  const FactsCase cases[] = {
      // Alternatives with an empty branch, optional parts and zero counts.
      {"a|", 1, false, "", "", ""},
      {"(?:|a)b", 0, false, "ab", "c", "b"},
      {"(?:ab)?c", 0, false, "ac", "b", "c"},
      {"(?:A){0}a", 0, false, "a", "A", ""},
      {"(A){0,0}a", 0, false, "a", "A", ""},
      {"(?:A)?a", 0, false, "Aa", "b", "a"},
      {"a{0}", 1, false, "", "", ""},
      {"a*?b", 0, false, "ab", "c", "b"},
      {"a+?", 0, false, "a", "b", ""},
      {"x*", 1, false, "", "", ""},
      // Lookaheads and boundaries consume nothing: the start is what follows them.
      {"(?=x)abc", 0, false, "a", "x", ""},
      {"(?!x)[a-c]y", 0, false, "abc", "xy", "y"},
      {"(?=a)", 1, false, "", "", ""},
      {"\\b[0-9]+", 0, false, "0123456789", "a ", ""},
      {"\\bmiles\\b", 0, false, "m", "i", ""},
      {"\\B\\$1", 0, false, "$", "1", ""},
      // Line starts.
      {"^#", 0, true, "#", "a", ""},
      {"^", 1, true, "", "", ""},
      {"(?:^a|^b)", 0, true, "ab", "c", ""},
      {"(?:^a|b)", 0, false, "ab", "c", ""},
      {"(?:^)?a", 0, false, "a", "", ""},
      {"a^b", 0, false, "a", "b", ""},
      {"(?=^)a", 0, false, "a", "", ""},
      // Classes: escapes, brackets, negation, ranges, the dot.
      {"\\d", 0, false, "0123456789", "a_ \xB2", ""},
      {"\\w", 0, false, "azAZ09_", "- \n\xE9", ""},
      {"\\s", 0, false, " \t\n\r\v\f", "a_", ""},
      {"\\D", 0, false, "a \xE9\xB2", "0123456789", ""},
      {"\\W", 0, false, "- \n\xE9", "azAZ09_", ""},
      {"[^\\s]", 0, false, "a\xE9", " \t\n\r\v\f", ""},
      {"[^a-z]x", 0, false, "A\n\xE9{", "amz", "x"},
      {"[\\d-]", 0, false, "09-", "a", ""},
      {"[-a]", 0, false, "-a", "b", ""},
      {"[[:alpha:]_]", 0, false, "aZ_", "1 ", ""},
      {"[\\x41-\\x43]", 0, false, "ABC", "D@", ""},
      {"[a\\]]", 0, false, "a]", "\\", ""},
      {"[\\b]", 0, false, "\b", "b", ""},
      {"[^]", 0, false, "\n\r\xFF", "", ""},
      {".", 0, false, "a\xFF\t", "\n\r", ""},
      // Unsure parts of brackets and escapes leave every byte possible.
      {"[\\x80-\\xFF]", 0, false, "\x01\x80", "", ""},
      {"[a-c-e]", 0, false, "z\x01", "", ""},
      {"[[.a.]]", 0, false, "z", "", ""},
      {"\\u0141", 0, false, "Az", "", ""},
      {"\\u0041", 0, false, "A", "z", ""},
      {"\\cJ", 0, false, "J\n", "", ""},
      // Literals, a needed byte, and what is not read at all.
      {"ERROR ([0-9]+)", 0, false, "E", "R0", ""},
      {"[\\w.+-]+@[\\w-]+\\.[\\w.-]+", 0, false, "a.+-_", "@", "@."},
      {"\\x41\\.\\0", 0, false, "A", "", ""},
      {"]}", 0, false, "]", "}", ""},
      {"(a)\\1", kUnknown, false, "", "", ""},
      {"\\q", kUnknown, false, "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    const PatternFacts f = Read(c.pattern);
    if (c.nullable == kUnknown) {
      EXPECT_FALSE(f.known);
      continue;
    }
    ASSERT_TRUE(f.known);
    EXPECT_EQ(f.nullable, c.nullable == 1);
    EXPECT_EQ(f.line_start, c.line_start);
    for (const char* b = c.in; *b != '\0'; ++b) EXPECT_TRUE(f.first[static_cast<unsigned char>(*b)]) << *b;
    for (const char* b = c.out; *b != '\0'; ++b) EXPECT_FALSE(f.first[static_cast<unsigned char>(*b)]) << *b;
    ByteSet needed;
    for (const char* b = c.needed; *b != '\0'; ++b) needed.set(static_cast<unsigned char>(*b));
    EXPECT_EQ(f.needed, needed);
  }
}

TEST(RegexPatternFacts, Prefixes) {
  const struct {
    const char* pattern;
    std::string prefix;
  } cases[] = {
      {"ERROR ([0-9]+)", "ERROR "}, {"\\bmiles\\b", "miles"}, {"(?=ab)ac", "ac"},
      {"(?:abc|abd)", "ab"},        {"(ab)+c", "ab"},         {"a?b", ""},
      {"\\x41\\.\\0", {"A.\0", 3}}, {"a{2}b", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.pattern).prefix, c.prefix) << c.pattern;
}

// A leading run and the bytes that end it: what a match must start with for the run filter to hold.
TEST(RegexPatternFacts, LeadingRuns) {
  const struct {
    const char* pattern;
    bool has_run;
    std::size_t min;
    const char* run;  // bytes the run must hold
    const char* end;  // the bytes that end it, exactly
  } cases[] = {
      {"[\\w.+-]+@[\\w-]+", true, 1, "a.+-_9", "@"},
      {"\\d*px", true, 0, "09", "p"},
      {"\\d{3,5}-", true, 3, "0", "-"},
      {"(?:\\w+|)=", true, 0, "a", "="},
      {"\\b\\w+\\b:", true, 1, "a", ":"},
      {"(?:[a-c]+|[x-z]+)(?:@|#)", true, 1, "az", "@#"},
      {"(?:\\d+)+%", true, 1, "5", "%"},
      {"\\w+\\d", false, 0, "", ""},          // the end byte could be part of the run
      {"\\w+x?@", false, 0, "", ""},          // what follows the run may be empty
      {"(?:\\w+@)?x", false, 0, "", ""},      // the run may be left out
      {"(?:\\w+|\\w+@)x", false, 0, "", ""},  // one branch is a run, the other a run and its end
      {".*@", false, 0, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    const PatternFacts f = Read(c.pattern);
    ASSERT_TRUE(f.known);
    EXPECT_EQ(f.has_run, c.has_run);
    if (!c.has_run) continue;
    EXPECT_EQ(f.run_min, c.min);
    for (const char* b = c.run; *b != '\0'; ++b) EXPECT_TRUE(f.run[static_cast<unsigned char>(*b)]) << *b;
    ByteSet end;
    for (const char* b = c.end; *b != '\0'; ++b) end.set(static_cast<unsigned char>(*b));
    EXPECT_EQ(f.run_end, end);
  }
}

TEST(RegexPatternFacts, DeepNestingIsNotRead) {
  const auto nested = [](int depth) { return std::string(depth, '(') + "a" + std::string(depth, ')'); };
  EXPECT_TRUE(Read(nested(kMaxFactsDepth - 2)).known);
  // Far past the reader's depth: no recursion follows it (the engine itself compiles this on a large stack only).
  EXPECT_FALSE(ReadPatternFacts(nested(30'000), std::locale::classic()).known);
}

// Every place the filter gives over a text, from a search that starts at its first byte.
std::vector<std::ptrdiff_t> Places(const std::string& pattern, const std::string& text) {
  StartFilter filter(Read(pattern), text);
  std::vector<std::ptrdiff_t> places;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  for (const char* at = filter.Next(begin, begin, end); at != nullptr;) {
    places.push_back(at - begin);
    if (at == end) break;
    at = filter.Next(at + 1, begin, end);
  }
  return places;
}

TEST(RegexStartFilter, PlacesWhereAMatchCanStart) {
  using P = std::vector<std::ptrdiff_t>;
  EXPECT_EQ(Places("^#", "#a\n#b\r#c\n#"), (P{0, 3, 9}));  // not after the carriage return
  EXPECT_EQ(Places("^", "ab\ncd\n"), (P{0, 3, 6}));
  EXPECT_EQ(Places("\\bmiles\\b", "smiles miles mile"), (P{1, 7}));
  EXPECT_EQ(Places("[0-9]+", "a1b22"), (P{1, 3, 4}));
  EXPECT_EQ(Places("[a-z]+@x", "abc def"), P{});                // no "@" in the text: no place at all
  EXPECT_EQ(Places("[a-z]+@x", "ab cd@x e@ @"), (P{3, 4, 8}));  // in the stretches that end at an "@"
  EXPECT_EQ(Places("[a-z]{2,}@", "a@ bc@ d@"), P{3});           // a stretch too short is no place
  EXPECT_EQ(Places("x*", "ab").size(), 3u);                     // an empty match can start anywhere, the end included
}

// The text is the front of a longer buffer whose tail holds every byte these filters look for: a filter that read
// past the text's end would find a place there. Each kind of filter (prefix, start table, line start, needed byte,
// none) gives places in [at, end] only, and nullptr for the place after the end, which a walk that has tried the
// end asks for.
TEST(RegexStartFilter, ReadsNothingPastTheEnd) {
  const std::string tail = "ERROR 42 ab@x\n#abc1\n";
  const struct {
    const char* pattern;
    const char* text;
  } cases[] = {
      {"ERROR [0-9]+", "xx ERROR"}, {"abc", "zzab"}, {"[0-9]+", "abc"}, {"^#", "a\n#b\nc"}, {"^", "ab\ncd"},
      {"[a-z]+@x", "ab"},           {"x*", "ab"},    {"^a*", "\n"},
  };
  for (const auto& c : cases) {
    const std::string buffer = std::string(c.text) + tail;
    const char* const begin = buffer.data();
    const char* const end = begin + std::strlen(c.text);
    StartFilter filter(Read(c.pattern), std::string_view(begin, static_cast<std::size_t>(end - begin)));
    for (const char* at = begin; at <= end; ++at) {
      const char* const place = filter.Next(at, begin, end);
      EXPECT_TRUE(place == nullptr || (place >= at && place <= end))
          << c.pattern << " from " << (at - begin) << " gave " << (place != nullptr ? place - begin : -1);
    }
    EXPECT_EQ(filter.Next(end + 1, begin, end), nullptr) << c.pattern;
  }
}

std::string BareList(const std::string& text, const Regex& re) {
  std::string list = "[";
  BareWalk(text, re, [&](const std::cmatch& m) {
    for (std::size_t i = 0; i < m.size(); ++i) list += "\"" + m.str(i) + "\",";
  });
  if (list.size() == 1) return {};
  list.back() = ']';
  return list;
}

// Texts of several hundred bytes from a small alphabet that holds the patterns' start bytes, line feeds and
// carriage returns, so that most places are skipped and the places after them see every kind of previous byte.
std::string RandomText(std::mt19937& random, std::size_t size) {
  static const char kAlphabet[] = "aabbccx  __--##@@..1\n\r$miles ERROR 42 ";
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string text;
  for (std::size_t i = 0; i < size; ++i) text += kAlphabet[pick(random)];
  return text;
}

TEST(RegexSkipping, WalksGiveTheBareEngineResults) {
  const char* patterns[] = {
      "a|",          "(?:|a)b",
      "(?=x)a",      "(?!a)[a-c]",
      "\\b[_a]",     "\\B[_a]",
      "^#",          "^",
      "$",           "^.",
      ".$",          "[^a-c ]+",
      "\\d+",        "\\w+",
      "\\s",         "\\W\\w",
      "(?:A){0}a",   "(a)?b",
      "\\bmiles\\b", "ERROR (\\d+)",
      "#|@",         "[\\w.-]+@\\w+\\.\\w+",
      "\\b",         "\\B",
      "(?:^|a)b",    "(?:^a|^b)c",
      "a^b",         "x*",
      "c{0}a",       "(?:\\r|\\n)#",
      "[.@]\\.",     "(?=\\n)",
      "^\\r?$",      "[\\w-]+@\\w",
      "[a-c]*\\.",   "\\d{2,}\\s",
      "(?:\\w+|#)@",
  };
  std::mt19937 random(11);
  for (const char* pattern : patterns) {
    const Regex re = Compile(pattern);
    for (int round = 0; round < 6; ++round) {
      const std::string text = RandomText(random, 300 + 100 * round);
      SCOPED_TRACE(std::string(pattern) + " over " + text);
      EXPECT_EQ(SearchPositions(text, pattern), BarePositions(text, re));
      EXPECT_EQ(Search(text, pattern), BareList(text, re));
      EXPECT_EQ(Replace(text, pattern, "<$&>"), std::regex_replace(text, re, std::string("<$&>")));
      EXPECT_EQ(ReplaceSlice(text, pattern, "[$1]", 7, 250),
                std::regex_replace(text.substr(7, 243), re, std::string("[$1]")));
    }
  }
}

TEST(RegexSkipping, AnAbsentNeededByteEndsTheWalkBeforeTheEngineRuns) {
  // Without a "b" no search starts, so the exponential pattern gives its answer instead of the failure value.
  const std::string text = std::string(40, 'a') + "c";
  EXPECT_EQ(Replace(text, "(a+)+b", "x"), text);
  EXPECT_EQ(Replace(text + "b", "(a+)+b", "x"), "");
}

}  // namespace
