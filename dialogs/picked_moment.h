#pragma once
// The date and time picked in the picker, kept until the next confirmed pick, and the rules of its readers.
#include <cstdint>
#include <string_view>

namespace hostkit::dialogs {

// The platform's SYSTEMTIME layout: eight unsigned 16-bit fields in this order.
struct Moment {
  std::uint16_t year = 0;
  std::uint16_t month = 0;        // 1 to 12
  std::uint16_t day_of_week = 0;  // 0 Sunday to 6 Saturday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;
};
static_assert(sizeof(Moment) == 16, "must match SYSTEMTIME");

// The picked date (from the month calendar: only its date fields count) and time (from the time field: only
// its time fields count); all zero until the first Ok.
struct PickedMoment {
  Moment date;
  Moment time;
};
PickedMoment& Picked();

enum class Field { Year, Month, Day, DayOfWeek, Hour, Minute, Second };

// A field of the pick, widened without sign extension.
int ReadField(const PickedMoment& picked, Field field);

// An empty picture asks the platform for the locale's own format, which it takes as a null picture.
inline const char* PictureOrNull(const char* picture) {
  return picture != nullptr && *picture != '\0' ? picture : nullptr;
}

inline constexpr std::string_view kDefaultPickerTitle = "Pick a Date and/or Time";

// The picker's title: the script's text, or the default when that is empty.
inline std::string_view PickerTitle(std::string_view title) { return title.empty() ? kDefaultPickerTitle : title; }

}  // namespace hostkit::dialogs
