#include "fs/entry_format.h"

#include <cstdio>

namespace hostkit::fs {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsPerDay = 86'400;

// Days since 0000-03-01 to a civil date (H. Hinnant's days_from_civil inverse), shifted so that
// day 0 is 1601-01-01. Exact for every day count a 64-bit tick value can reach.
void CivilFromDays(std::int64_t days_since_1601, int& year, int& month, int& day) noexcept {
  // 1601-01-01 is 584,694 days after 0000-03-01.
  const std::int64_t z = days_since_1601 + 584'694;
  const std::int64_t era = z / 146'097;
  const std::int64_t doe = z - era * 146'097;
  const std::int64_t yoe = (doe - doe / 1'460 + doe / 36'524 - doe / 146'096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

std::string Triple(int a, int separator, int b, int c) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", a, separator, b, separator, c);
  return text;
}

// The character is the value's low byte; a low byte of 0 would end the text where the separator stands
// (256 gave "1601"), so it counts as no separator.
int SeparatorOr(int requested, int fallback) noexcept {
  return requested > 0 && (requested & 0xFF) != 0 ? requested & 0xFF : fallback;
}

}  // namespace

Calendar CalendarFromTicks(std::uint64_t ticks) noexcept {
  const std::uint64_t seconds = ticks / kTicksPerSecond;
  const auto days = static_cast<std::int64_t>(seconds / kSecondsPerDay);
  const auto in_day = static_cast<int>(seconds % kSecondsPerDay);
  Calendar c;
  CivilFromDays(days, c.year, c.month, c.day);
  c.hour = in_day / 3600;
  c.minute = in_day / 60 % 60;
  c.second = in_day % 60;
  return c;
}

int DateSeparator(int requested) noexcept { return SeparatorOr(requested, '-'); }
int TimeSeparator(int requested) noexcept { return SeparatorOr(requested, ':'); }

std::string DateText(std::uint64_t ticks, int requested_separator) {
  const Calendar c = CalendarFromTicks(ticks);
  return Triple(c.year, DateSeparator(requested_separator), c.month, c.day);
}

std::string TimeText(std::uint64_t ticks, int requested_separator) {
  const Calendar c = CalendarFromTicks(ticks);
  return Triple(c.hour, TimeSeparator(requested_separator), c.minute, c.second);
}

std::string SizeHexText(std::uint32_t high, std::uint32_t low, int flag) {
  char text[24];
  if (flag != 0)
    std::snprintf(text, sizeof text, "%08X:%08X", static_cast<unsigned>(high), static_cast<unsigned>(low));
  else
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(low));
  return text;
}

std::string SizeDecimalText(std::uint32_t high, std::uint32_t low, int flag) {
  char text[24];
  if (flag != 0)
    std::snprintf(text, sizeof text, "%d:%d", static_cast<int>(high), static_cast<int>(low));
  else
    std::snprintf(text, sizeof text, "%d", static_cast<int>(low));
  return text;
}

}  // namespace hostkit::fs
