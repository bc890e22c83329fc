#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fs/entry_format.h"

namespace {

using namespace hostkit::fs;

// Ticks of a moment given in seconds since 1970-01-01 UTC.
constexpr std::uint64_t FromUnix(std::int64_t seconds) {
  return static_cast<std::uint64_t>(seconds + 11'644'473'600) * 10'000'000;
}

TEST(EntryFormat, DatesAndTimesAreUtcCalendarFields) {
  const struct {
    std::uint64_t ticks;
    const char* date;
    const char* time;
  } cases[] = {
      {0, "1601-01-01", "00:00:00"},  // the record at load
      {FromUnix(1'710'511'509), "2024-03-15", "14:05:09"},
      {FromUnix(951'868'800) - 1, "2000-02-29", "23:59:59"},  // a leap day of a leap century
      {FromUnix(-2'203'891'200), "1900-03-01", "00:00:00"},   // 1900 has no 29 February
      {FromUnix(0), "1970-01-01", "00:00:00"},
      {0x7FFFFFFFFFFFFFFFull, "30828-09-14", "02:48:05"},  // the platform's last convertible moment
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateText(c.ticks, 0), c.date) << c.ticks;
    EXPECT_EQ(TimeText(c.ticks, 0), c.time) << c.ticks;
  }
}

TEST(EntryFormat, SeparatorDefaultsForZeroNegativeAndAZeroLowByteAndUsesTheLowByte) {
  const std::uint64_t t = FromUnix(1'710'511'509);
  const struct {
    int separator;
    const char* date;
    const char* time;
  } cases[] = {
      {0, "2024-03-15", "14:05:09"},
      {-1, "2024-03-15", "14:05:09"},
      {-2147483647 - 1, "2024-03-15", "14:05:09"},
      {47, "2024/03/15", "14/05/09"},
      {46, "2024.03.15", "14.05.09"},
      {0x100 + '_', "2024_03_15", "14_05_09"},
      // A low byte of 0 would end the text at the separator.
      {256, "2024-03-15", "14:05:09"},
      {0x7FFFFF00, "2024-03-15", "14:05:09"},
      {0x1FF,
       "2024\xFF"
       "03\xFF"
       "15",
       "14\xFF"
       "05\xFF"
       "09"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DateText(t, c.separator), c.date) << c.separator;
    EXPECT_EQ(TimeText(t, c.separator), c.time) << c.separator;
  }
}

TEST(EntryFormat, SizesInAllFourForms) {
  const struct {
    std::uint64_t size;
    const char* hex1;
    const char* hex2;
    const char* dec1;
    const char* dec2;
  } cases[] = {
      {0, "00000000", "00000000:00000000", "0", "0:0"},
      {3'000'000'000ull, "B2D05E00", "00000000:B2D05E00", "-1294967296", "0:-1294967296"},
      {5'368'709'120ull, "40000000", "00000001:40000000", "1073741824", "1:1073741824"},
      {0xFFFFFFFFFFFFFFFFull, "FFFFFFFF", "FFFFFFFF:FFFFFFFF", "-1", "-1:-1"},
  };
  for (const auto& c : cases) {
    const auto high = static_cast<std::uint32_t>(c.size >> 32), low = static_cast<std::uint32_t>(c.size);
    EXPECT_EQ(SizeHexText(high, low, 0), c.hex1);
    EXPECT_EQ(SizeHexText(high, low, -3), c.hex2);
    EXPECT_EQ(SizeDecimalText(high, low, 0), c.dec1);
    EXPECT_EQ(SizeDecimalText(high, low, 1), c.dec2);
  }
}

}  // namespace
