#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fs/space_text.h"

namespace {

using namespace hostkit::fs;

TEST(SpaceText, DecimalTextIsExactOverThe64BitRange) {
  const struct {
    std::uint64_t value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {9, "9"},
      {10, "10"},
      {4'294'967'295u, "4294967295"},  // the last count a 32-bit print keeps
      {4'294'967'296u, "4294967296"},
      {270'553'174'016u, "270553174016"},
      {1'000'000'000'000'000'000u, "1000000000000000000"},
      {UINT64_MAX, "18446744073709551615"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecimalText(c.value), c.text) << c.text;
}

TEST(SpaceText, EachItemPicksItsCountAndOthersGiveEmpty) {
  const DriveSpace space{5'000'000'000u, 7'000'000'000u, 6'000'000'000u};
  EXPECT_EQ(DriveSpaceText(space, 0), "5000000000");
  EXPECT_EQ(DriveSpaceText(space, 1), "7000000000");
  EXPECT_EQ(DriveSpaceText(space, 2), "6000000000");
  for (int item : {-1, 3, 0x100, INT32_MIN, INT32_MAX}) {
    EXPECT_FALSE(IsDriveSpaceItem(item)) << item;
    EXPECT_EQ(DriveSpaceText(space, item), "") << item;
  }
}

}  // namespace
