#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "window/retry.h"

namespace {

using hostkit::window::RetryFor;

// A clock that only moves when the retry waits (or when a try takes time), starting anywhere on the 32-bit tick.
struct FakeTime {
  // succeed_on: the try (from 1) that succeeds; -1 never.
  explicit FakeTime(int succeed, std::uint32_t start = 0, std::uint32_t cost = 0)
      : now(start), try_cost(cost), succeed_on(succeed) {}
  std::uint32_t now;
  std::uint32_t try_cost;
  int succeed_on;
  int tries = 0;
  std::vector<std::uint32_t> waits;

  bool Run(std::uint32_t budget, std::uint32_t step) {
    return RetryFor(
        budget, step,
        [&] {
          now += try_cost;
          return ++tries == succeed_on;
        },
        [&] { return now; },
        [&](std::uint32_t ms) {
          waits.push_back(ms);
          now += ms;
        });
  }
};

TEST(Retry, StopsAtTheFirstSuccess) {
  FakeTime first(1);
  EXPECT_TRUE(first.Run(250, 10));
  EXPECT_EQ(first.tries, 1);
  EXPECT_TRUE(first.waits.empty());

  FakeTime fifth(5);
  EXPECT_TRUE(fifth.Run(250, 10));
  EXPECT_EQ(fifth.tries, 5);
  EXPECT_EQ(fifth.waits, std::vector<std::uint32_t>(4, 10));
}

TEST(Retry, GivesUpOnceTheBudgetHasPassedWithATryAfterTheLastWait) {
  const struct {
    std::uint32_t start;
    std::uint32_t budget, step, try_cost;
    int tries;
  } cases[] = {
      {0, 250, 10, 0, 26},            // tries at 0, 10, ..., 250
      {0xFFFFFF00u, 250, 10, 0, 26},  // the tick wraps during the retries
      {0, 250, 100, 0, 4},            // at 0, 100, 200, 300: a wait past the budget still gets its try
      {0, 250, 10, 300, 1},           // one slow try uses the whole budget
      {0, 0, 10, 0, 1},               // no budget: one try, no wait
  };
  for (const auto& c : cases) {
    FakeTime time(-1, c.start, c.try_cost);
    EXPECT_FALSE(time.Run(c.budget, c.step)) << c.start << " " << c.step;
    EXPECT_EQ(time.tries, c.tries) << c.start << " " << c.step;
    EXPECT_EQ(time.waits.size(), static_cast<std::size_t>(c.tries - 1));
  }
}

}  // namespace
