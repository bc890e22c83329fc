// The pattern cache: a cached pattern answers as a fresh compile does, the least recently used goes first within
// both bounds, a rejected pattern keeps its reason, and the cache's memory stays apart from the command's account
// (evictions, the large-stack retry).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "regex/bounds/account.h"
#include "regex/bounds/bounds.h"
#include "regex/bounds/run.h"
#include "regex/bounds/stack.h"
#include "regex/commands.h"
#include "regex/pattern_cache.h"

namespace {

using namespace hostkit::regex;

struct Answers {
  int match;
  std::string search, positions, replaced, error;
  bool operator==(const Answers&) const = default;
};

Answers AllCommands(const std::string& text, const std::string& pattern) {
  Answers a;
  a.match = Match(text, pattern);
  a.search = Search(text, pattern);
  a.positions = SearchPositions(text, pattern);
  a.replaced = Replace(text, pattern, "<$&>");
  a.error = LastError();
  return a;
}

TEST(RegexPatternCache, CachedPatternsAnswerAsAFreshCompile) {
  const struct {
    std::string text, pattern;
  } cases[] = {
      {"width=120 height=45", "([a-z]+)=([0-9]+)"},
      {"mail anna.berg@example.com now", "[\\w.+-]+@[\\w-]+\\.[\\w.-]+"},
      {"a\r\nb\nc", "^\\w$"},
      {"abab", "(ab)\\1"},
      {"xx", "(x)?(?:|){40}\\1"},  // ends at the time bound, every time
      {"abc", "a(b"},              // rejected by the engine
      {"abc", "a{99999999999}"},   // rejected before the engine
  };
  for (const auto& c : cases) {
    PatternCache::Shared().Clear();
    const Answers fresh = AllCommands(c.text, c.pattern);
    EXPECT_TRUE(PatternCache::Shared().Holds(c.pattern)) << c.pattern;
    EXPECT_EQ(AllCommands(c.text, c.pattern), fresh) << c.pattern;
  }
  // The rejected pattern's reason comes from the cache.
  PatternCache::Shared().Clear();
  EXPECT_EQ(Match("abc", "a(b"), 0);
  ASSERT_TRUE(PatternCache::Shared().Holds("a(b"));
  EXPECT_EQ(Match("abc", "a.c"), 1);
  EXPECT_STREQ(LastError(), "");
  EXPECT_EQ(Search("abc", "a(b"), "");
  EXPECT_STREQ(LastError(), "pattern rejected: unbalanced parenthesis");
}

// Leases patterns from a cache of its own, within a guard with the full budget.
struct Leaser {
  PatternCache cache;
  Budget budget = TimeBudget(0);
  Guard guard{0, budget};
  explicit Leaser(PatternCache::Limits limits) : cache(limits) {}
  bool Cached(const std::string& pattern) { return cache.Get(pattern, guard).cached(); }
};

TEST(RegexPatternCache, TheLeastRecentlyUsedGoesFirstWithinEntriesAndBytes) {
  Leaser by_count({3, bounds::kCacheBytes, bounds::kCachedPatternBytes});
  for (const char* p : {"a+", "b+", "c+"}) by_count.Cached(p);
  by_count.Cached("a+");  // now the most recent
  by_count.Cached("d+");
  EXPECT_EQ(by_count.cache.entries(), 3u);
  EXPECT_FALSE(by_count.cache.Holds("b+"));
  for (const char* p : {"a+", "c+", "d+"}) EXPECT_TRUE(by_count.cache.Holds(p)) << p;

  // By bytes: room for a few small patterns; the oldest go as new ones come, and the count stays within.
  MemoryAccount account(SIZE_MAX);
  AccountScope scope(account);
  const std::size_t limit = 64 * 1024;
  Leaser by_bytes({1000, limit, limit});
  std::vector<std::string> patterns;
  for (int i = 0; i < 200; ++i) {
    patterns.push_back("[a-z]+=([0-9]+)|" + std::to_string(i));
    by_bytes.Cached(patterns.back());
    ASSERT_LE(by_bytes.cache.bytes(), limit);
  }
  EXPECT_LT(by_bytes.cache.entries(), 200u);
  EXPECT_GT(by_bytes.cache.entries(), 2u);
  EXPECT_TRUE(by_bytes.cache.Holds(patterns.back()));
  EXPECT_FALSE(by_bytes.cache.Holds(patterns.front()));

  // A pattern larger than an entry may be serves its call alone.
  Leaser tiny({10, limit, 256});
  EXPECT_FALSE(tiny.Cached("[a-z]+=([0-9]+)"));
  EXPECT_EQ(tiny.cache.entries(), 0u);
}

TEST(RegexPatternCache, EvictionsDoNotDisturbTheCommandsAccount) {
  MemoryAccount account(SIZE_MAX);
  AccountScope scope(account);
  Leaser one({1, bounds::kCacheBytes, bounds::kCachedPatternBytes});
  const std::size_t start = account.live();
  one.Cached("[a-z]+=([0-9]+)");
  const std::size_t first = account.live() - start;
  ASSERT_GT(first, 1000u) << "a compiled pattern holds a bracket's table and its states";
  // The second evicts the first: its blocks go back to the heap, but were never this account's to credit.
  one.Cached("[0-9]+=([a-z]+)");
  EXPECT_FALSE(one.cache.Holds("[a-z]+=([0-9]+)"));
  EXPECT_GE(account.live() - start, first + first / 2);
  // A hit costs the account nothing.
  const std::size_t before_hit = account.live();
  EXPECT_TRUE(one.Cached("[0-9]+=([a-z]+)"));
  EXPECT_EQ(account.live(), before_hit);
}

TEST(RegexPatternCache, TheRetryOnALargeStackFindsThePatternTheFirstAttemptCompiled) {
  PatternCache cache({16, bounds::kCacheBytes, bounds::kCachedPatternBytes});
  std::vector<std::size_t> live;
  std::vector<bool> cached;
  Failure failure;
  // More stack than the host's thread has: the first attempt ends there, the second has room.
  const std::size_t more = Guard::StackPointer() - StackLowEnd() + (1u << 20);
  const auto run = RunGuarded({10, 10}, failure, [&](Guard& guard) {
    live.push_back(MemoryAccount::Current()->live());
    const PatternLease lease = cache.Get("([a-z]+)=([0-9]+)", guard);
    cached.push_back(cache.entries() == 1 && lease.cached());
    guard.RequireRoom(more);
    return 1;
  });
  EXPECT_EQ(run, 1);
  EXPECT_EQ(failure.kind, Failure::Kind::kNone);
  ASSERT_EQ(cached.size(), 2u);
  EXPECT_TRUE(cached[0] && cached[1]) << "compiled once, found by the retry";
  // The first attempt's compile is still in the account when the retry starts: the process holds it.
  EXPECT_GT(live[1], live[0] + 1000);
}

TEST(RegexPatternCache, AFloodOfPatternsStaysWithinTheBounds) {
  PatternCache::Shared().Clear();
  for (int i = 0; i < 2000; ++i) Match("width=120", "[a-z]+=([0-9]+)|flood" + std::to_string(i));
  EXPECT_LE(PatternCache::Shared().entries(), bounds::kCachedPatterns);
  EXPECT_LE(PatternCache::Shared().bytes(), bounds::kCacheBytes);
  EXPECT_TRUE(PatternCache::Shared().Holds("[a-z]+=([0-9]+)|flood1999"));
}

}  // namespace
