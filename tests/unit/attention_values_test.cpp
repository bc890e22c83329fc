#include <gtest/gtest.h>

#include <climits>

#include "attention/attention_values.h"

namespace {

using namespace hostkit::attention;

TEST(AttentionValues, FlashCounts) {
  const struct {
    int times;
    Flash expected;
  } cases[] = {
      {3, {kFlashAll, 3}},
      {1, {kFlashAll, 1}},
      {INT_MAX, {kFlashAll, static_cast<unsigned>(INT_MAX)}},
      {0, {kFlashAll | kFlashUntilFront, 0}},
      {-1, {kFlashStop, 0}},
      {INT_MIN, {kFlashStop, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(FlashFor(c.times), c.expected) << c.times;
}

TEST(AttentionValues, ProgressStatesAndPermille) {
  const struct {
    int state, permille;
    Progress expected;
  } cases[] = {
      {0, 500, {kProgressNone, false, 500}},        {1, 250, {kProgressNormal, true, 250}},
      {2, 1000, {kProgressPaused, true, 1000}},     {3, 0, {kProgressError, true, 0}},
      {4, 10, {kProgressIndeterminate, false, 10}}, {1, -5, {kProgressNormal, true, 0}},
      {1, 1001, {kProgressNormal, true, 1000}},     {1, INT_MIN, {kProgressNormal, true, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressFor(c.state, c.permille), c.expected) << c.state << " " << c.permille;
  for (const int state : {-1, 5, 8, INT_MAX}) EXPECT_FALSE(ProgressFor(state, 0).has_value()) << state;
}

TEST(AttentionValues, NotificationFlags) {
  for (const int flags : {0, 1, 2, 3, 16, 17, 18, 19}) EXPECT_EQ(BalloonFlagsFor(flags), static_cast<unsigned>(flags));
  for (const int flags : {4, 5, 15, 20, 32, 33, -1, INT_MIN}) EXPECT_FALSE(BalloonFlagsFor(flags).has_value()) << flags;
}

}  // namespace
