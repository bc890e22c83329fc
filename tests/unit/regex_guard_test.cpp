// The guard: step budget and clock, stack floor, charges per kind of step, the large-stack fallback that carries
// the budget over, the memory account, and the replacement rules checked against libstdc++'s own format().
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <regex>
#include <stdexcept>
#include <string>

#include "regex/bounds/account.h"
#include "regex/bounds/bounds.h"
#include "regex/bounds/guard.h"
#include "regex/bounds/run.h"
#include "regex/commands.h"
#include "regex/engine/dialect.h"
#include "regex/replacement.h"

namespace {

using namespace hostkit::regex;

GuardedMatch NewMatch(Guard& guard) { return GuardedMatch(GuardAlloc<std::sub_match<GuardedIter>>(&guard)); }

Budget Steps(std::int64_t steps) { return {steps, Clock::now() + std::chrono::hours(1)}; }

// Steps a guarded match of the pattern over the text spends.
std::int64_t StepsOf(const std::string& text, const char* pattern) {
  const Regex compiled = Compile(pattern);
  const Shape shape = Measure(compiled);
  Budget budget = Steps(std::int64_t{1} << 40);
  Guard guard(0, budget);
  guard.Adopt(shape.states, shape.weight);
  GuardedMatch m = NewMatch(guard);
  std::regex_search(GuardedIter(text.data(), &guard), GuardedIter(text.data() + text.size(), &guard), m, compiled);
  return guard.steps();
}

TEST(RegexGuard, RunawayPatternsGiveTheFailureValue) {
  // The "b" at the end lets the searches try the a's (without it no search would start).
  const std::string runaway = std::string(40, 'a') + "cb";
  EXPECT_EQ(Match(runaway, "(a+)+b"), 0);
  EXPECT_EQ(Search(runaway, "(a+)+b"), "");
  EXPECT_EQ(SearchPositions(runaway, "(a+)+b"), "");
  EXPECT_EQ(Replace(runaway, "(a+)+b", "x"), "");
  // Chains of empty alternatives ending in a back-reference to a group that did not match touch nothing.
  EXPECT_EQ(SearchPositions("xx", "(x)?(?:|){40}\\1"), "");
  EXPECT_STREQ(LastError(), "time bound exceeded");
  // Output that grows with the square of the text.
  EXPECT_EQ(Replace(std::string(100000, 'a'), "a", "$'"), "");
  EXPECT_STREQ(LastError(), "memory bound exceeded");
  // The same patterns over small inputs still work.
  EXPECT_EQ(SearchPositions("aab", "(a+)+b"), "[{0,3}]");
  EXPECT_EQ(SearchPositions("xx", "(x)?(?:|){4}\\1"), "[{0,2}]");
  EXPECT_STREQ(LastError(), "");
}

TEST(RegexGuard, LastErrorNamesTheKindOfFailure) {
  const struct {
    const char* pattern;
    const char* error;
  } cases[] = {
      {"(a", "pattern rejected: unbalanced parenthesis"},
      {"[a", "pattern rejected: unbalanced bracket"},
      {"a{2,1}", "pattern rejected: invalid repetition count"},
      {"a{4294967297}", "pattern rejected: invalid repetition count"},
      {"a{1", "pattern rejected: unbalanced brace"},
      {"\\", "pattern rejected: invalid escape"},
      {"x", ""},  // no match is no error
      {"a", ""},
  };
  for (const auto& c : cases) {
    Match("abc", c.pattern);
    EXPECT_STREQ(LastError(), c.error) << c.pattern;
    Search("abc", c.pattern);
    EXPECT_STREQ(LastError(), c.error) << c.pattern;
    Replace("abc", c.pattern, "-");
    EXPECT_STREQ(LastError(), c.error) << c.pattern;
  }
  Match("abc", "(a");
  EXPECT_EQ(Replace("", "(a", "x"), "");
  EXPECT_STREQ(LastError(), "") << "an empty argument is not an error";
  Match("a", std::string(300000, '(') + "a" + std::string(300000, ')'));
  EXPECT_STREQ(LastError(), "stack exhausted");
}

TEST(RegexGuard, DeepRecursionMovesToTheLargeStackOrFails) {
  // The worker reserves a stack as large as the memory bound (twice that in a 64-bit build); the stack touched
  // counts against the bound.
  EXPECT_EQ(SearchPositions(std::string(20000, 'a'), "(a|b)*"), "[{0,20000},{20000,0}]");
  EXPECT_EQ(Replace(std::string(20000, 'b'), "(a|b)*", "x"), "xx");
  EXPECT_EQ(SearchPositions(std::string(3000000, 'a'), "(a|b)*"), "");
  EXPECT_EQ(Match("x", "(?:|){15000}x"), 1);
  EXPECT_EQ(Match("a", std::string(30000, '(') + "a" + std::string(30000, ')')), 1);
  EXPECT_EQ(Match("a", std::string(300000, '(') + "a" + std::string(300000, ')')), 0);
}

TEST(RegexGuard, RunnerRetriesOnALargeStackOnlyWhenShortOfStack) {
  int calls = 0;
  Failure failure;
  auto needs = [&](std::size_t bytes) {
    return RunGuarded({10, 10}, failure, [&, bytes](Guard& guard) {
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
  EXPECT_EQ(failure.kind, Failure::Kind::kStack);
  calls = 0;
  EXPECT_EQ(RunGuarded({10, 10}, failure,
                       [&](Guard& guard) -> int {
                         ++calls;
                         guard.Charge(INT64_MAX);
                         return 1;
                       }),
            std::nullopt);
  EXPECT_EQ(calls, 1) << "a spent budget is not retried";
  EXPECT_EQ(failure.kind, Failure::Kind::kTime);
}

TEST(RegexGuard, TheRetryCarriesOnWithWhatTheFirstAttemptLeft) {
  const std::int64_t budget = TimeBudget(10).steps;
  int calls = 0;
  Failure failure;
  // Each attempt spends 60% of the command's budget before it needs more stack than the host's thread has.
  auto run = RunGuarded({10, 10}, failure, [&](Guard& guard) {
    ++calls;
    guard.Charge(budget / 10 * 6);
    guard.RequireRoom(Guard::StackPointer() - StackLowEnd() + (1u << 20));
    return 1;
  });
  EXPECT_EQ(run, std::nullopt);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(failure.kind, Failure::Kind::kTime);
}

TEST(RegexGuard, TheClockEndsWorkTheCountUnderrates) {
  Budget budget{std::int64_t{1} << 50, Clock::now()};  // steps to spare, but the deadline has passed
  Guard guard(0, budget);
  GuardedIter it("a", &guard);
  int touches = 0;
  try {
    for (; touches < (1 << 24); ++touches) (void)(it == it);
  } catch (const std::regex_error&) {
  }
  EXPECT_EQ(guard.tripped(), Trip::kTime);
  EXPECT_EQ(touches, 0) << "the first slow path reads the clock";
}

// Goes levels frames of about 1 KB down, touching at each, and reads the clock at the bottom.
__attribute__((noinline)) void Dive(Guard& guard, int levels) {
  volatile char frame[1024];
  frame[0] = 0;
  guard.Touch();
  if (levels > 0)
    Dive(guard, levels - 1);
  else
    guard.Charge(bounds::kStepsPerClockRead);  // more than the chunk handed out: the clock is read
  frame[1] = frame[0];
}

// 256 KB down, with ten seconds left: the clock counts the unwinding of the stack charged so far ahead of the
// deadline, at the given cost per byte, and trips when that unwinding would end past it.
TEST(RegexGuard, TheClockCountsTheUnwindingAhead) {
  const struct {
    double seconds_per_byte;
    Trip trip;
  } cases[] = {
      {0.0, Trip::kNone},
      {bounds::kUnwindSecondsPerStackByte, Trip::kNone},  // a quarter of a megabyte unwinds in milliseconds
      {1.0 / 1024, Trip::kTime},                          // a second a KiB: far past the deadline
  };
  for (const auto& c : cases) {
    Budget budget{std::int64_t{1} << 40, Clock::now() + std::chrono::seconds(10), c.seconds_per_byte};
    Guard guard(0, budget);
    try {
      Dive(guard, 256);
    } catch (const std::regex_error&) {
    }
    EXPECT_EQ(guard.tripped(), c.trip) << c.seconds_per_byte;
  }
}

struct Frames {
  int entered = 0;
  int cleaned = 0;
};

__attribute__((noinline)) void DiveCounting(Guard& guard, int levels, Frames& frames) {
  struct Cleanup {
    Frames& frames;
    ~Cleanup() { ++frames.cleaned; }
  } cleanup{frames};
  ++frames.entered;
  guard.Touch();
  if (levels > 0) DiveCounting(guard, levels - 1, frames);
}

// A trip inside CatchTrips lands there, not as an exception, after the clean-ups of every frame it left; any other
// exception passes as thrown, and outside CatchTrips a trip throws again.
TEST(RegexGuard, ATripInsideCatchTripsLandsThereAfterEveryCleanUp) {
  Budget budget = Steps(600);
  Guard guard(0, budget);
  Frames frames;
  EXPECT_FALSE(CatchTrips(guard, [&] { DiveCounting(guard, 1000, frames); }));
  EXPECT_EQ(guard.tripped(), Trip::kTime);
  EXPECT_GT(frames.entered, 50);
  EXPECT_LT(frames.entered, 1001);
  EXPECT_EQ(frames.cleaned, frames.entered);
  EXPECT_TRUE(CatchTrips(guard, [] {}));
  EXPECT_THROW(CatchTrips(guard, [] { throw std::runtime_error("not a trip"); }), std::runtime_error);
  EXPECT_THROW(guard.Touch(), std::regex_error);
}

TEST(RegexGuard, CostlyKindsOfStepCostMore) {
  const std::string text(1000, 'a');
  const std::int64_t plain = StepsOf(text, "(?:a|b)x");
  // Each kind replaces the "b" of the same walk; the difference is what that kind costs over 1,000 tests.
  const struct {
    const char* pattern;
    std::int64_t per_test;
  } kinds[] = {
      {"(?:a|\\b)x", bounds::kClassLookupCost},
      {"(?:a|^)x", bounds::kLineTestCost},
      {"(?:a|$)x", bounds::kLineTestCost},
  };
  for (const auto& k : kinds) EXPECT_GE(StepsOf(text, k.pattern) - plain, 900 * k.per_test) << k.pattern;
  const std::string as(2000, 'a');
  EXPECT_GE(StepsOf(as, "(a{1000})\\1") - StepsOf(as, "(a{1000})a{1000}"), 1000 * bounds::kBackrefByteCost);
}

TEST(RegexGuard, MemoryAccountRefusesPastItsLimitAndCreditsWhatIsFreed) {
  MemoryAccount account(1 << 20);
  {
    AccountScope scope(account);
    auto kept = std::make_unique<char[]>(512 * 1024);
    { auto freed = std::make_unique<char[]>(400 * 1024); }
    EXPECT_GE(account.live(), 512u * 1024);
    EXPECT_LT(account.live(), 600u * 1024);
    EXPECT_THROW(std::make_unique<char[]>(600 * 1024), std::bad_alloc);
    EXPECT_TRUE(account.refused());
  }
  EXPECT_EQ(account.live(), 0u);
  EXPECT_GE(account.peak(), 900u * 1024);
  EXPECT_EQ(MemoryAccount::Current(), nullptr);
  EXPECT_EQ(MemoryBound(0), 64u << 20);
  EXPECT_EQ(MemoryBound(1000), (64u << 20) + 16000);
  EXPECT_EQ(MemoryBound(SIZE_MAX), SIZE_MAX);
}

TEST(RegexGuard, EveryTouchAndEveryEngineCallIsCharged) {
  Budget budget = Steps(1000);
  Guard guard(0, budget);
  const char text[] = "abc";
  GuardedIter it(text, &guard);
  ++it;
  EXPECT_EQ(*it, 'b');
  EXPECT_TRUE(it != GuardedIter(text, &guard));
  EXPECT_FALSE(it == GuardedIter());
  EXPECT_EQ(guard.steps(), 2 * bounds::kTouchCost) << "comparisons count: every step of the matcher starts with one";

  const Regex compiled = Compile("(?:(?=a)a){20}|b{200}");
  const Shape shape = Measure(compiled);
  Budget big_budget = Steps(10'000'000);
  Guard big(0, big_budget);
  big.Adopt(shape.states, shape.weight);
  const std::string as(20, 'a');
  GuardedMatch m = NewMatch(big);
  ASSERT_TRUE(std::regex_match(GuardedIter(as.data(), &big), GuardedIter(as.data() + 20, &big), m, compiled));
  EXPECT_GE(big.steps(), static_cast<std::int64_t>(20 * shape.states) * bounds::kPerStateCost)
      << "each lookahead clears a table as large as the pattern";
}

TEST(RegexGuard, FloorAndBudgetTrip) {
  Budget budget = Steps(100);
  Guard low(Guard::StackPointer() + 4096, budget);  // a floor above this frame
  GuardedIter it("a", &low);
  EXPECT_THROW((void)(it == it), std::regex_error);
  EXPECT_EQ(low.tripped(), Trip::kStack);
  Budget two = Steps(2 * bounds::kTouchCost);
  Guard small(0, two);
  GuardedIter jt("abc", &small);
  EXPECT_TRUE(jt == jt);
  EXPECT_TRUE(jt == jt);
  EXPECT_THROW((void)(jt != jt), std::regex_error);
  EXPECT_EQ(small.tripped(), Trip::kTime);
}

TEST(RegexGuard, OrdinaryPatternsKeepTheFullBudget) {
  for (const char* pattern : {"[0-9]+", "[\\w.+-]+@[\\w-]+\\.[\\w.]+", "(a|b)*", "(foo|bar|baz|qux|one|two)x",
                              "^\\s*(\\w+)\\s*=\\s*(\"[^\"]*\"|\\S+)", "(\\w)\\1", "a{1000}"})
    EXPECT_EQ(Measure(Compile(pattern)).weight, 1u) << pattern;
  EXPECT_GT(Measure(Compile(std::string(100, '(') + "a" + std::string(100, ')'))).weight, 1u);
  EXPECT_GT(Measure(Compile("(x)?(?:|){40}\\1")).weight, std::size_t{1} << 30);
}

TEST(RegexReplacement, ExpandsAsStdFormatDoes) {
  const char* formats[] = {"",   "x",   "$",  "$$", "$&",  "$`", "$'",  "$0", "$00",          "$1",    "$01",
                           "$2", "$12", "$3", "$9", "$99", "$x", "$$1", "a$", "$1$2$&$`$'$$", "%d\\1&"};
  const char text[] = "one two";
  for (const char* pattern : {"(t)(w)?o", "(o)(x)?", "w"}) {
    const std::regex re(pattern);
    const Regex dialect = Compile(pattern);
    std::cmatch expected;
    ASSERT_TRUE(std::regex_search(text, expected, re));
    Budget budget = Steps(1'000'000);
    Guard guard(0, budget);
    GuardedMatch m = NewMatch(guard);
    ASSERT_TRUE(std::regex_search(GuardedIter(text, &guard), GuardedIter(text + 7, &guard), m, dialect));
    for (const char* format : formats) {
      std::string out;
      Replacement(format).Expand(m, text, text + 7, out, guard);
      EXPECT_EQ(out, expected.format(format)) << pattern << " with " << format;
    }
  }
}

}  // namespace

namespace {

// Recurses depth times, with a kilobyte of frame each, touching the text at every level.
__attribute__((noinline)) void Descend(GuardedIter it, int depth) {
  volatile char frame[1024];
  frame[0] = static_cast<char>(depth);
  (void)(it == it);
  if (depth > 1) Descend(it, depth - 1);
  frame[1] = frame[0];
}

TEST(RegexGuard, HeapAndStackShareOneBound) {
  MemoryAccount account(1 << 20);
  EXPECT_TRUE(account.TouchStack(600 * 1024));
  EXPECT_TRUE(account.TouchStack(300 * 1024)) << "touched pages stay: a shallower figure changes nothing";
  EXPECT_EQ(account.stack(), 600u * 1024);
  EXPECT_TRUE(account.Take(200 * 1024));
  EXPECT_FALSE(account.Take(300 * 1024)) << "600 KB of stack and 500 KB of heap pass 1 MB";
  EXPECT_TRUE(account.refused());

  MemoryAccount heap_first(1 << 20);
  EXPECT_TRUE(heap_first.Take(512 * 1024));
  EXPECT_TRUE(heap_first.Fits(400 * 1024));
  EXPECT_FALSE(heap_first.TouchStack(600 * 1024));
  EXPECT_EQ(heap_first.peak(), 912u * 1024) << "what fitted counts at the peak";

  // The last bytes of the bound are kept for small blocks, such as an error's message.
  MemoryAccount small(bounds::kSmallBlockReserve + 4096);
  EXPECT_FALSE(small.Take(8192));
  MemoryAccount small_fits(bounds::kSmallBlockReserve + 4096);
  EXPECT_TRUE(small_fits.Take(4096));
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(small_fits.Take(bounds::kSmallBlock));
}

TEST(RegexGuard, TheStackTouchedIsChargedAsItDeepens) {
  const std::size_t depth = 2000;  // about 2 MB, inside the test thread's 8 MB
  {
    MemoryAccount account(64 << 20);
    AccountScope scope(account);
    Budget budget = Steps(std::int64_t{1} << 40);
    Guard guard(StackLowEnd() + bounds::kStackMargin, budget);
    Descend(GuardedIter("a", &guard), static_cast<int>(depth));
    EXPECT_GE(account.stack(), depth * 1024);
    EXPECT_LT(account.stack(), depth * 1024 * 3 + 2 * bounds::kStackChargeStep);
  }
  MemoryAccount account(1 << 20);
  AccountScope scope(account);
  Budget budget = Steps(std::int64_t{1} << 40);
  Guard guard(StackLowEnd() + bounds::kStackMargin, budget);
  EXPECT_THROW(Descend(GuardedIter("a", &guard), static_cast<int>(depth)), std::regex_error);
  EXPECT_EQ(guard.tripped(), Trip::kMemory) << "2 MB of stack pass a 1 MB bound";
  EXPECT_TRUE(account.refused());
}

TEST(RegexGuard, TheFirstTripIsTheReason) {
  Failure failure;
  // A full account: the time trip still reports time, for it allocates nothing as it unwinds.
  EXPECT_EQ(RunGuarded({10, 10}, failure,
                       [](Guard& guard) {
                         MemoryAccount& account = *MemoryAccount::Current();
                         EXPECT_TRUE(account.TouchStack(MemoryBound(10) - bounds::kHeapKeeps - account.live()));
                         guard.Charge(INT64_MAX);
                         return 1;
                       }),
            std::nullopt);
  EXPECT_EQ(failure.kind, Failure::Kind::kTime);
  // Near the bound an engine error is still the engine's: its message fits in the room kept for small blocks.
  EXPECT_EQ(RunGuarded({10, 10}, failure,
                       [](Guard&) -> int {
                         MemoryAccount& account = *MemoryAccount::Current();
                         EXPECT_TRUE(account.TouchStack(MemoryBound(10) - bounds::kHeapKeeps - account.live() - 1024));
                         throw std::regex_error(std::regex_constants::error_paren);
                       }),
            std::nullopt);
  EXPECT_EQ(failure.kind, Failure::Kind::kRejected);
  EXPECT_EQ(failure.code, std::regex_constants::error_paren);
  // The host copies a text answer: an answer that leaves no room for its copy is past the bound.
  const std::size_t limit = MemoryBound(0) - bounds::kHeapKeeps;
  EXPECT_EQ(RunGuarded({0, 0}, failure, [&](Guard&) { return std::string(limit / 3 * 2, 'a'); }), std::nullopt);
  EXPECT_EQ(failure.kind, Failure::Kind::kMemory);
  EXPECT_EQ(RunGuarded({0, 0}, failure, [&](Guard&) { return std::string(limit / 3, 'a'); })->size(), limit / 3);
}

TEST(RegexGuard, TheCompileIsChargedAndClocked) {
  Budget budget{std::int64_t{1} << 50, Clock::now()};  // steps to spare, but the deadline has passed
  Guard guard(0, budget);
  EXPECT_THROW(Compile("[a][b]"), std::regex_error) << "each bracket's table reads the clock";
  EXPECT_EQ(guard.tripped(), Trip::kTime);

  Budget enough = Steps(std::int64_t{1} << 40);
  Guard counted(0, enough);
  Compile("[a-z]");
  EXPECT_GE(counted.steps(), 256 * bounds::kCompileCallCost);
}

TEST(RegexGuard, OnlyBackReferencesThatMayFindTheirGroupUnsetDoSilentWork) {
  const struct {
    const char* pattern;
    bool silent;
  } cases[] = {
      {"(a)(?:|){24}\\1", false}, {"(a)\\1(?:|){24}\\1", false},   {"(a)(b)(?:|){24}\\2\\1", false},
      {"(x)?(?:|){24}\\1", true}, {"(?:(a)|b)(?:|){24}\\1", true}, {"(?=(a))(?:|){24}\\1", true},
      {"(?:|){24}(a)\\1", false}, {"(a)*(?:|){24}\\1", true},
  };
  for (const auto& c : cases) EXPECT_EQ(Measure(Compile(c.pattern)).weight > 1, c.silent) << c.pattern;
  // Where the group is always set, every path reads the text: the engine's answer, at once.
  EXPECT_EQ(Match("aa", "(a)(?:|){24}\\1"), 1);
  EXPECT_STREQ(LastError(), "");
  const std::string as(2000, 'a');
  std::string expected = "[";
  for (int i = 0; i < 2000; i += 2) expected += "{" + std::to_string(i) + ",2},";
  expected.back() = ']';
  EXPECT_EQ(SearchPositions(as, "(a)(?:|){20}\\1"), expected);
}

TEST(RegexDialect, CompileStackFollowsTermsAndGroups) {
  const std::size_t t = bounds::kCompileBytesPerTerm;
  const std::size_t l = bounds::kCompileBytesPerLevel;
  const struct {
    std::string pattern;
    std::size_t bytes;
  } cases[] = {
      {"abc", 3 * t},
      {std::string(10000, 'a'), 10000 * t},
      {"[" + std::string(10000, 'a') + "]", t},
      {"[]]" + std::string(10, 'a'), 12 * t},  // "[]" is a bracket of its own, then "]" and ten a's
      {"[\\]a]b", 2 * t},
      {"[[:alpha:]]]", 2 * t},
      {"a|bc|d", 2 * t},
      {"a{1000}b*?c+", 3 * t},
      {"(((a)))", 4 * t + 3 * l},
      {"(?:ab)(?=cd)e", 4 * t + l},
      {"\\d\\12x", 3 * t},
      {"x(a|bcd)y", 5 * t + l},
  };
  for (const auto& c : cases) EXPECT_EQ(CompileStack(c.pattern), c.bytes) << c.pattern;
  // A long flat alternation or bracket asks for little: it compiles on the caller's stack.
  std::string words;
  for (int i = 0; i < 20000; ++i) words += "word|";
  EXPECT_EQ(CompileStack(words + "x"), 4 * t);
}

}  // namespace
