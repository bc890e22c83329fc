#include <gtest/gtest.h>

#include <climits>

#include "screen/display_modes.h"
#include "screen/monitor_values.h"

namespace {

using hostkit::screen::DisplayMode;
using hostkit::screen::FormatModes;
using hostkit::screen::MonitorFacts;
using hostkit::screen::ValueOf;

TEST(ScreenModes, EachModeOnceLargestFirst) {
  struct Case {
    const char* name;
    std::vector<DisplayMode> modes;
    const char* expected;
  };
  const Case cases[] = {
      {"none", {}, ""},
      {"one", {{1280, 1024, 60}}, "1280x1024@60"},
      {"repeated per colour depth, in the system's order",
       {{800, 600, 60}, {1920, 1080, 60}, {800, 600, 60}, {1920, 1080, 144}, {1920, 1080, 60}},
       "1920x1080@144|1920x1080@60|800x600@60"},
      {"more pixels first, then the wider (1440x900 and 1200x1080 both 1,296,000)",
       {{1280, 1024, 60}, {1600, 900, 60}, {1440, 900, 75}, {1200, 1080, 60}},
       "1600x900@60|1280x1024@60|1440x900@75|1200x1080@60"},
      {"an empty mode is left out", {{0, 0, 0}, {640, 480, 0}, {640, 0, 60}}, "640x480@0"},
      {"sizes whose product passes the int range",
       {{65536, 65536, 30}, {70000, 40000, 30}},
       "65536x65536@30|70000x40000@30"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatModes(c.modes), c.expected) << c.name;
}

TEST(ScreenValues, EveryNumberReadsItsFact) {
  MonitorFacts facts;
  facts.monitor = {-1280, -200, 0, 824};
  facts.work = {-1280, -200, 0, 784};
  facts.primary = false;
  facts.dpi = 144;
  facts.hz = 75;
  facts.bits = 32;
  facts.physical_width = 1920;
  facts.physical_height = 1536;
  const int expected[] = {-1280, -200, 1280, 1024, -1280, -200, 1280, 984, 144, 75, 32, 0, 150, 1920, 1536};
  for (int what = 0; what < hostkit::screen::kValueCount; ++what)
    EXPECT_EQ(ValueOf(facts, what), expected[what]) << what;
  facts.primary = true;
  EXPECT_EQ(ValueOf(facts, 11), 1);
  for (const int what : {-1, 15, 16, INT_MIN, INT_MAX}) EXPECT_EQ(ValueOf(facts, what), -1) << what;
}

TEST(ScreenValues, AFactTheSystemDidNotGiveReadsMinusOne) {
  const MonitorFacts facts;
  for (const int what : {8, 9, 10, 12, 13, 14}) EXPECT_EQ(ValueOf(facts, what), -1) << what;
}

TEST(ScreenValues, ScaleIsTheDpiInPercentOf96) {
  const int cases[][2] = {{96, 100}, {120, 125}, {144, 150}, {168, 175}, {192, 200}, {288, 300}, {72, 75}, {97, 101}};
  for (const auto& c : cases) EXPECT_EQ(hostkit::screen::ScalePercent(c[0]), c[1]) << c[0];
}

}  // namespace
