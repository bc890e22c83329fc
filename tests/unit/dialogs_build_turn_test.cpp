// The dialog threads' building turn: one holder at a time, and a holder that never gives it back holds the others
// up only for the bound.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "dialogs/build_turn.h"

namespace {

using hostkit::dialogs::BuildTurn;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kHold{300};
constexpr milliseconds kPoll{10};
// How late a wait may end on a busy machine: 93 ms at worst over 80 waits with a load average of 21 on 2 cores.
constexpr milliseconds kSchedulingLateness{250};

bool Always() { return true; }

milliseconds Since(Clock::time_point start) { return std::chrono::duration_cast<milliseconds>(Clock::now() - start); }

TEST(BuildTurn, WaitsForTheHolderAtMostTheBound) {
  struct Case {
    const char* name;
    int give_after_ms;  // -1: the holder never gives the turn back
    milliseconds least, most;
  };
  const Case cases[] = {
      {"given back at once", 0, milliseconds{0}, kSchedulingLateness},
      {"given back early", 40, milliseconds{40}, milliseconds{40} + kSchedulingLateness},
      {"never given back", -1, kHold, kHold + kSchedulingLateness},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BuildTurn turn(kHold);
    const std::uint64_t first = turn.Take(Always, kPoll);
    ASSERT_NE(first, 0u);
    const Clock::time_point start = Clock::now();
    auto holder = std::async(std::launch::async, [&] {
      if (c.give_after_ms < 0) return;
      std::this_thread::sleep_for(milliseconds{c.give_after_ms});
      turn.Give(first);
    });
    const std::uint64_t second = turn.Take(Always, kPoll);
    const milliseconds waited = Since(start);
    holder.wait();
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_GE(waited, c.least);
    EXPECT_LE(waited, c.most);
    // The first holder's late give-back leaves the second holder's turn alone.
    turn.Give(first);
    const Clock::time_point again = Clock::now();
    EXPECT_NE(turn.Take(Always, kPoll), 0u);
    EXPECT_GE(Since(again), kHold / 2) << "the second still held it";
  }
}

TEST(BuildTurn, AWaiterNoLongerWantedLeavesWithoutTheTurn) {
  BuildTurn turn(milliseconds{10000});
  ASSERT_NE(turn.Take(Always, kPoll), 0u);
  std::atomic<bool> wanted{true};
  const Clock::time_point start = Clock::now();
  auto waiter = std::async(std::launch::async, [&] { return turn.Take([&] { return wanted.load(); }, kPoll); });
  std::this_thread::sleep_for(milliseconds{30});
  wanted = false;
  EXPECT_EQ(waiter.get(), 0u);
  EXPECT_LE(Since(start), milliseconds{30} + kPoll + kSchedulingLateness);
}

}  // namespace
