#pragma once
// Texts of the current-file record: time stamps as dates and times of day (UTC), sizes in hex and decimal.
#include <cstdint>
#include <string>

namespace hostkit::fs {

// Calendar fields of a time stamp in 100-nanosecond ticks since 1601-01-01 00:00:00 UTC, proleptic
// Gregorian, without any time-zone conversion. Total over all 64-bit values (the platform's own
// conversion refuses values from 2^63 on; here they simply give years past 30000).
struct Calendar {
  int year = 1601, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};
Calendar CalendarFromTicks(std::uint64_t ticks) noexcept;

// The separator argument of the date and time getters: the character of a positive value is its low 8 bits;
// 0, negative values and values whose low byte is 0 (256, 512, ...) pick the default, '-' for dates and ':' for
// times.
int DateSeparator(int requested) noexcept;
int TimeSeparator(int requested) noexcept;

// "%02d%c%02d%c%02d" of year, month, day or of hour, minute, second.
std::string DateText(std::uint64_t ticks, int requested_separator);
std::string TimeText(std::uint64_t ticks, int requested_separator);

// Flag non-zero: both 32-bit halves, high first, "%08X:%08X" or "%d:%d"; flag zero: the low half alone.
// The decimal forms print each half as a signed 32-bit number.
std::string SizeHexText(std::uint32_t high, std::uint32_t low, int flag);
std::string SizeDecimalText(std::uint32_t high, std::uint32_t low, int flag);

// Two 32-bit halves of a FILETIME as one tick count.
constexpr std::uint64_t Ticks(std::uint32_t low, std::uint32_t high) noexcept {
  return (std::uint64_t{high} << 32) | low;
}

}  // namespace hostkit::fs
