#include <gtest/gtest.h>

#include <climits>

#include "dialogs/palette.h"
#include "dialogs/picked_moment.h"

namespace {

using namespace hostkit::dialogs;

TEST(DialogsPalette, ReadsAndWritesOnlyIndicesZeroToFifteen) {
  for (int i = 0; i < kCustomColourCount; ++i) EXPECT_EQ(GetCustomColour(i), 0) << i;
  SetCustomColour(0, 0x0000FF00);
  SetCustomColour(15, 0x00123456);
  SetCustomColour(3, -1);  // any 32-bit value is stored unchanged
  for (const int bad : {16, -1, INT_MIN, INT_MAX}) {
    SetCustomColour(bad, 0x00FFFFFF);
    EXPECT_EQ(GetCustomColour(bad), 0) << bad;
  }
  EXPECT_EQ(GetCustomColour(0), 0x0000FF00);
  EXPECT_EQ(GetCustomColour(15), 0x00123456);
  EXPECT_EQ(GetCustomColour(3), -1);
  int nonzero = 0;
  for (const Colour c : CustomColours()) nonzero += c != 0;
  EXPECT_EQ(nonzero, 3) << "an out-of-range write landed somewhere";
  CustomColours().fill(0);
}

TEST(DialogsPickedMoment, ReadersTakeDateFieldsFromTheDateAndTimeFieldsFromTheTime) {
  PickedMoment picked;
  EXPECT_EQ(ReadField(picked, Field::Year), 0);
  picked.date = {2024, 3, 5, 15, 23, 59, 58, 1};   // the calendar's own time fields are not read
  picked.time = {1999, 12, 1, 31, 14, 5, 9, 500};  // nor the time field's date fields
  const struct {
    Field field;
    int value;
  } cases[] = {{Field::Year, 2024}, {Field::Month, 3},  {Field::Day, 15},  {Field::DayOfWeek, 5},
               {Field::Hour, 14},   {Field::Minute, 5}, {Field::Second, 9}};
  for (const auto& c : cases) EXPECT_EQ(ReadField(picked, c.field), c.value) << static_cast<int>(c.field);
  picked.date.year = 0xFFFF;
  EXPECT_EQ(ReadField(picked, Field::Year), 65535) << "widened without sign extension";
}

TEST(DialogsPickedMoment, EmptyTextsFallBackToThePlatformsDefaults) {
  EXPECT_EQ(PictureOrNull(""), nullptr);
  EXPECT_EQ(PictureOrNull(nullptr), nullptr);
  const char* picture = "dd.MM.yyyy";
  EXPECT_EQ(PictureOrNull(picture), picture);
  EXPECT_EQ(PickerTitle(""), "Pick a Date and/or Time");
  EXPECT_EQ(PickerTitle("When?"), "When?");
}

}  // namespace
