#pragma once
// Every tuning constant of the regex guard, with the measurement behind it. Times are of the DLL under Wine 8
// on the 2-core test machine (i686, MinGW GCC 12); bench/ reproduces the ordinary-pattern figures.
#include <cstddef>
#include <cstdint>

namespace hostkit::regex::bounds {

// --- Time ---------------------------------------------------------------------------------------------------
// A command may work 1 s plus 0.25 s per megabyte of its text, all of it together: compile, every search of a
// walk, lookaheads, result text and the large-stack retry.
inline constexpr double kBaseSeconds = 1.0;
inline constexpr double kSecondsPerMegabyte = 0.25;

// The count is kept in steps of about one nanosecond of work. Measured: an ordinary step of the matcher (one
// iterator comparison: a character test, a loop revisit) costs 3 to 6 ns under Wine, so it is charged 6.
inline constexpr std::int64_t kStepsPerSecond = 1'000'000'000;
inline constexpr std::int64_t kTouchCost = 6;
// The matcher's line-end test ("^" after the first byte, "$" before the last, multiline) copies the locale and
// looks its ctype facet up. Charged 45, (?:^|a){1000}x over 1 MB ran into the clock at 1.14 s with only 0.36 of
// the count spent; charged 130, the count ended it at 0.52 s. 90 puts the count's end near 0.75 s.
inline constexpr std::int64_t kLineTestCost = 90;
// "\b" and "\B" look the class "w" up by name for each character they test. Charged 50, (?:\b|\B){1000}x over
// 1 MB ran into the clock at 1.15 s with 0.31 of the count spent; charged 150, the count ended it at 0.49 s.
inline constexpr std::int64_t kClassLookupCost = 100;
// A back-reference compares the group's text with the text ahead: per byte, on top of its comparisons.
inline constexpr std::int64_t kBackrefByteCost = 2;
// Every engine call and every lookahead builds a table with one entry per state of the pattern: per state.
inline constexpr std::int64_t kPerStateCost = 2;
// Copying result text: per byte.
inline constexpr std::int64_t kResultByteCost = 1;

// Skipping the places where no match can start (regex/start_filter.h): a scan of the text costs 0.13 ns a byte
// (the word-at-a-time byte search) to 1 ns (the 256-entry table) under Wine, so one step is charged per 2 bytes
// scanned. Reading a pattern's facts costs a few ns a byte, and about 1 us for each class name it looks up (256
// class tests; at most the 15 names of the engine).
inline constexpr std::int64_t kScannedBytesPerStep = 2;
inline constexpr std::int64_t kFactsByteCost = 20;
inline constexpr std::int64_t kFactsClassesCost = 16'000;
// A search that skips asks the engine one place a call: measured natively, a call costs about 100 ns more than a
// try inside the engine's own loop, which spends 20 to 25 ns on a place whose first byte cannot start a match, so
// a call is worth 4 skipped places, and more for patterns with many states (each call clears a table as large as
// the pattern: one more place per 16 bytes of pattern). The credit that decides between calls and the loop is
// kept within 8 calls, so that it follows the text.
inline constexpr std::ptrdiff_t kCallCostPlaces = 4;
inline constexpr std::ptrdiff_t kPatternBytesPerPlace = 16;
inline constexpr std::ptrdiff_t kCreditCalls = 8;

// The clock is read once per this many steps (about 15 us of ordinary matching): cheap, and fine-grained enough
// that a kind of work the count underrates still ends near the deadline.
inline constexpr std::int32_t kStepsPerClockRead = 1 << 16;
// The count trips at the full bound; the clock, the backstop, a little before it, so that the unwinding, the
// result copy and the reply to the host fit inside.
inline constexpr double kClockShare = 0.9;

// --- Memory -------------------------------------------------------------------------------------------------
// A command may raise the process's committed memory by 64 MB plus 16 times the bytes of its arguments.
inline constexpr std::size_t kMiB = std::size_t{1} << 20;
inline constexpr std::size_t kBaseBytes = 64 * kMiB;
inline constexpr std::size_t kBytesPerArgumentByte = 16;
// Wine commits a thread's whole stack reservation when the thread starts (measured: a 64 MB worker raised the
// committed private regions by 66.6 MB before it used any), so the large-stack worker is sized from the bound
// and the heap gets what is left. Of that, a third: the heap may keep the first attempt's freed blocks
// committed while the retry allocates anew, and the host copies the result text into a buffer of its own.
inline constexpr std::size_t kHeapShareDivisor = 3;
// The heap's own block header and rounding, beyond the bytes a block asks for (Wine's heap: 8 to 16 bytes).
inline constexpr std::size_t kBlockOverhead = 16;

// --- Stack --------------------------------------------------------------------------------------------------
// Stack kept free below the floor for the throw that unwinds the matcher, allocations and system calls.
inline constexpr std::size_t kStackMargin = 64 * 1024;
// Stack the matcher may use between two comparisons, per state of the pattern: chains of alternatives and
// groups recurse without touching the text. Measured: 128 bytes cover a matcher frame on i686.
inline constexpr std::size_t kBytesPerState = 32 * sizeof(void*);
// The pattern compiler recurses once per term and per "(" without any hook inside: measured on i686, 3,246
// nested "(" or a 10,741-character literal filled 1 MB, so this much room per pattern byte is checked first.
inline constexpr std::size_t kCompileBytesPerChar = 100 * sizeof(void*);

}  // namespace hostkit::regex::bounds
