// The guard: step budget, stack floor, charges for engine calls, the large-stack fallback, and the replacement
// rules checked against libstdc++'s own format().
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "regex/commands.h"
#include "regex/dialect.h"
#include "regex/guard.h"
#include "regex/replacement.h"
#include "regex/run.h"

namespace {

using namespace hostkit::regex;

GuardedMatch NewMatch(Guard& guard) { return GuardedMatch(GuardAlloc<std::sub_match<GuardedIter>>(&guard)); }

TEST(RegexGuard, RunawayPatternsGiveTheFailureValue) {
  // The "b" at the end lets the searches try the a's (without it no search would start).
  const std::string runaway = std::string(40, 'a') + "cb";
  EXPECT_EQ(Match(runaway, "(a+)+b"), 0);
  EXPECT_EQ(Search(runaway, "(a+)+b"), "");
  EXPECT_EQ(SearchPositions(runaway, "(a+)+b"), "");
  EXPECT_EQ(Replace(runaway, "(a+)+b", "x"), "");
  // Chains of empty alternatives ending in a back-reference to a group that did not match touch nothing.
  EXPECT_EQ(SearchPositions("xx", "(x)?(?:|){40}\\1"), "");
  // Output that grows with the square of the text.
  EXPECT_EQ(Replace(std::string(100000, 'a'), "a", "$'"), "");
  // The same patterns over small inputs still work.
  EXPECT_EQ(SearchPositions("aab", "(a+)+b"), "[{0,3}]");
  EXPECT_EQ(SearchPositions("xx", "(x)?(?:|){4}\\1"), "[{0,2}]");
}

TEST(RegexGuard, DeepRecursionMovesToTheLargeStackOrFails) {
  EXPECT_EQ(SearchPositions(std::string(100000, 'a'), "(a|b)*"), "[{0,100000},{100000,0}]");
  EXPECT_EQ(Replace(std::string(100000, 'b'), "(a|b)*", "x"), "xx");
  EXPECT_EQ(SearchPositions(std::string(3000000, 'a'), "(a|b)*"), "");
  EXPECT_EQ(Match("x", "(?:|){15000}x"), 1);
  EXPECT_EQ(Match("a", std::string(30000, '(') + "a" + std::string(30000, ')')), 1);
  EXPECT_EQ(Match("a", std::string(300000, '(') + "a" + std::string(300000, ')')), 0);
}

TEST(RegexGuard, RunnerRetriesOnALargeStackOnlyWhenShortOfStack) {
  int calls = 0;
  auto needs = [&](std::size_t bytes) {
    return RunGuarded(10, [&, bytes](Guard& guard) {
      ++calls;
      guard.RequireRoom(bytes);
      return 7;
    });
  };
  EXPECT_EQ(needs(1024), 7);
  EXPECT_EQ(calls, 1);
  calls = 0;
  // More than this thread has left (8 MB for a main thread by default), less than the worker's 128 MB.
  const std::size_t room = Guard::StackPointer() - StackLowEnd();
  ASSERT_LT(room, std::size_t{64} << 20) << "this test needs a main thread of ordinary size";
  EXPECT_EQ(needs(room + (1u << 20)), 7);
  EXPECT_EQ(calls, 2);
  calls = 0;
  EXPECT_EQ(needs(SIZE_MAX / 2), std::nullopt);
  EXPECT_EQ(calls, 2);
  calls = 0;
  EXPECT_EQ(RunGuarded(10, [&](Guard& guard) -> int {
              ++calls;
              guard.Charge(SIZE_MAX);
              return 1;
            }),
            std::nullopt);
  EXPECT_EQ(calls, 1) << "a spent budget is not retried";
}

TEST(RegexGuard, EveryTouchAndEveryEngineCallIsCharged) {
  Guard guard(0, 1000);
  const char text[] = "abc";
  GuardedIter it(text, &guard);
  ++it;
  EXPECT_EQ(*it, 'b');
  EXPECT_TRUE(it != GuardedIter(text, &guard));
  EXPECT_FALSE(it == GuardedIter());
  EXPECT_EQ(guard.steps(), 2u) << "comparisons count: every step of the matcher starts with one";

  const std::regex compiled = Compile("(?:(?=a)a){20}|b{200}");
  const Shape shape = Measure(compiled);
  Guard big(0, 10'000'000);
  big.Adopt(shape.states, shape.weight);
  const std::string as(20, 'a');
  GuardedMatch m = NewMatch(big);
  ASSERT_TRUE(std::regex_match(GuardedIter(as.data(), &big), GuardedIter(as.data() + 20, &big), m, compiled));
  EXPECT_GE(big.steps(), 20 * shape.states) << "each lookahead clears a table as large as the pattern";
}

TEST(RegexGuard, FloorAndBudgetTrip) {
  Guard low(Guard::StackPointer() + 4096, 100);  // a floor above this frame
  GuardedIter it("a", &low);
  EXPECT_THROW((void)(it == it), std::regex_error);
  EXPECT_EQ(low.tripped(), Trip::kStack);
  Guard small(0, 2);
  GuardedIter jt("abc", &small);
  EXPECT_TRUE(jt == jt);
  EXPECT_TRUE(jt == jt);
  EXPECT_THROW((void)(jt != jt), std::regex_error);
  EXPECT_EQ(small.tripped(), Trip::kBudget);
  EXPECT_EQ(small.steps(), 2u);
}

TEST(RegexGuard, OrdinaryPatternsKeepTheFullBudget) {
  for (const char* pattern : {"[0-9]+", "[\\w.+-]+@[\\w-]+\\.[\\w.]+", "(a|b)*", "(foo|bar|baz|qux|one|two)x",
                              "^\\s*(\\w+)\\s*=\\s*(\"[^\"]*\"|\\S+)", "(\\w)\\1", "a{1000}"})
    EXPECT_EQ(Measure(Compile(pattern)).weight, 1u) << pattern;
  EXPECT_GT(Measure(Compile(std::string(100, '(') + "a" + std::string(100, ')'))).weight, 1u);
  EXPECT_GT(Measure(Compile("(x)?(?:|){40}\\1")).weight, std::size_t{1} << 30);
}

TEST(RegexReplacement, ExpandsAsStdFormatDoes) {
  const char* formats[] = {"", "x", "$", "$$", "$&", "$`", "$'", "$0", "$00", "$1", "$01", "$2", "$12", "$3", "$9",
                           "$99", "$x", "$$1", "a$", "$1$2$&$`$'$$", "%d\\1&"};
  const char text[] = "one two";
  for (const char* pattern : {"(t)(w)?o", "(o)(x)?", "w"}) {
    const std::regex re(pattern);
    std::cmatch expected;
    ASSERT_TRUE(std::regex_search(text, expected, re));
    Guard guard(0, 1'000'000);
    GuardedMatch m = NewMatch(guard);
    ASSERT_TRUE(std::regex_search(GuardedIter(text, &guard), GuardedIter(text + 7, &guard), m, re));
    for (const char* format : formats) {
      std::string out;
      Replacement(format).Expand(m, text, text + 7, out, guard);
      EXPECT_EQ(out, expected.format(format)) << pattern << " with " << format;
    }
  }
}

}  // namespace
