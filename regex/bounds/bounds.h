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

// Skipping the places where no match can start (regex/skip/start_filter.h): a scan of the text costs 0.13 ns a byte
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

// The compile: every bracket builds a 256-entry table, calling the traits for each byte (isctype, and
// transform_primary, which costs 400 to 500 ns under Wine: "[]" repeated 41,000 times took 5 s). Each such call
// is charged 2 steps, what a lookup in a per-byte table costs, so that the count never ends a compile that a
// faster traits would finish in time; the clock, read once per table (256 calls), bounds the compile whatever
// the calls cost.
inline constexpr std::int64_t kCompileCallCost = 2;
inline constexpr std::uint32_t kCompileCallsPerClockRead = 256;
// A match that fails deep unwinds every matcher frame it stacked, and the unwinding comes after the trip: it costs
// far more than the descent. Thrown, it took 9 to 10.3 us per KiB (".*" and "(a|b)*" stopped at 16 to 128 MB of
// stack, bench/wine/regex_unwind.cpp: about 1 us a matcher frame, 0.65 s for 64 MB, where going down took 0.05 s),
// and in the DLL on a busy machine twice that; landed through CatchTrips (regex/bounds/guard.h), in one pass, 4.3 to
// 5.6 us per KiB (3.8 to 4.8 under Wine 10). The clock counts the unwinding of the stack charged so far ahead, at 10 us
// per KiB, about twice the one-pass cost, so that it holds on a machine half as fast: a time trip comes earlier the
// deeper the match is, and its unwinding ends by the deadline. A match that ends without a trip returns through its
// frames at a hundredth of that cost, so the count ahead must not end what the memory bound allows: ".*" over 250,000
// bytes (66 MB of stack) counts 0.66 s ahead of 0.9 s (at 12 us per KiB, 0.8 s, that match stopped at the clock on a
// busy machine).
inline constexpr double kUnwindSecondsPerStackByte = 10e-6 / 1024;
// The count trips at the full bound; the clock, the backstop, a little before it, so that the result copy and the
// reply to the host fit inside (the unwinding is counted on its own, above).
inline constexpr double kClockShare = 0.9;

// --- Memory -------------------------------------------------------------------------------------------------
// A command may raise the process's memory by 64 MB plus 16 times the bytes of its arguments. Its memory is
// counted as Windows counts it: the heap blocks it holds and the stack pages its matcher touches, together, at
// their peak. A thread's stack is a reservation whose pages commit as it grows (Wine commits the whole
// reservation at the thread's start, but only the pages touched become resident), so the large-stack worker
// reserves as much address space as the bound and only the stack reached is charged (regex/bounds/guard.h). Measured
// under Wine, the guarded matcher touches 264 bytes of stack per character of ".*" and 564 of "(a|b)*" (the bare
// engine 240 and 530: the guarded iterator carries its guard), so ".*" matches about 260,000 characters and
// "(a|b)*" about 118,000 within the bound.
inline constexpr std::size_t kMiB = std::size_t{1} << 20;
inline constexpr std::size_t kBaseBytes = 64 * kMiB;
inline constexpr std::size_t kBytesPerArgumentByte = 16;
// What needs room beyond the blocks held and the stack touched, measured as the rise of the process's peak
// resident memory under Wine against the account's peak (the cases of tests/e2e/probe/regex_cases.h):
// - the host's copy of a text answer, made after the command: charged as the answer's size when the command
//   ends (run.h);
// - the worker thread itself (Wine's thread data, the top of its stack) and the heap's own pages beyond the
//   blocks (its headers and rounding, pages of freed blocks it keeps): the rise passed the account's peak by
//   0.05 MB (`(a|b)*` over 100,000 bytes) to 0.74 MB (the bracket copies) under Wine 8, and by up to 2.1 MB (the
//   bracket copies) under Wine 10, whose heap keeps more pages of freed blocks; it fell 2.2 MB short of it where
//   blocks are reserved larger than they are filled (an 11 MB answer growing). 3 MB of the bound are kept for it.
inline constexpr std::size_t kHeapKeeps = 3 * kMiB;
// The heap's own block header and rounding, beyond the bytes a block asks for (Wine's heap: 8 to 16 bytes).
inline constexpr std::size_t kBlockOverhead = 16;
// The last 64 KB of the bound are kept for blocks of at most 256 bytes: an engine error raised near the bound
// allocates its message (about 100 bytes), and must be reported as itself, not as the memory bound.
inline constexpr std::size_t kSmallBlock = 256;
inline constexpr std::size_t kSmallBlockReserve = 64 * 1024;

// --- Stack --------------------------------------------------------------------------------------------------
// Stack kept free below the floor for the throw that unwinds the matcher, allocations and system calls.
inline constexpr std::size_t kStackMargin = 64 * 1024;
// Stack the matcher may use between two comparisons, per state of the pattern: chains of alternatives and
// groups recurse without touching the text. Measured: 128 bytes cover a matcher frame on i686.
inline constexpr std::size_t kBytesPerState = 32 * sizeof(void*);
// The guard charges the stack in steps of this much below the deepest point reached, so that the hot path
// leaves its one comparison only once per step of depth: up to 64 KB more than touched.
inline constexpr std::size_t kStackChargeStep = 64 * 1024;
// The largest stack the worker reserves (i686): 1 million characters of ".*". Address space only, but a 32-bit
// process has 2 GB of it, and the heap needs its share.
inline constexpr std::size_t kLargestStack = 256 * kMiB;
// The pattern compiler recurses once per term (an atom with its quantifiers, or an assertion) of a sequence, down
// to the sequence's end, and once more per group or lookahead it is inside; a bracket is one term however long,
// and an alternative's end gives its terms' stack back. Nothing else takes stack, and nothing calls back inside.
// Measured on i686 (MinGW GCC 12, -O2, stack pages painted and read back): 96 bytes a term (literals of 1,000 and
// 11,000 characters), 320 bytes a nesting level with its term ("(" and "(?:" alike, 1,000 to 4,000 deep), 4 KB
// for a bracket of 100 or of 100,000 characters. The check asks for 128 bytes a term and 384 more a level
// (twice that in a 64-bit build), so that a long flat pattern compiles on the caller's stack.
inline constexpr std::size_t kCompileBytesPerTerm = 32 * sizeof(void*);
inline constexpr std::size_t kCompileBytesPerLevel = 96 * sizeof(void*);

// --- Pattern cache ------------------------------------------------------------------------------------------
// Scripts call the commands a line at a time with a few patterns, and compiling was nearly all of such a call
// (regex/pattern_cache.h). 256 patterns cover a loop over a table of a few hundred words made into patterns, and
// are far more than the handful a loop usually repeats. Measured natively with the memory account, a compiled
// pattern of about 50 bytes with a few brackets holds 3 to 6 KB (a bracket's 256-byte table and its matcher, about
// 40 bytes a state), so 256 of them take 1 to 2 MB; 4 MB leaves room for larger ones and keeps the process flat
// under a flood of distinct patterns, far below a command's 64 MB. A compiled pattern of more than 1 MB (tens of
// thousands of states, compiled in tens of milliseconds, where the cache saves least) serves its call alone,
// so that one large pattern cannot empty the cache.
inline constexpr std::size_t kCachedPatterns = 256;
inline constexpr std::size_t kCacheBytes = 4 * kMiB;
inline constexpr std::size_t kCachedPatternBytes = kMiB;
// An entry's own blocks beyond its pattern's: its key's block, the list and index nodes (about 100 bytes).
inline constexpr std::size_t kCacheEntryOverhead = 128;

}  // namespace hostkit::regex::bounds
