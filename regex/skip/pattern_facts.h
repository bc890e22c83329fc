#pragma once
// What every match of a pattern must satisfy, read from the pattern text before a search walk so that the walk can
// skip the places where no match can start. The reading is conservative: whatever it does not understand (and any
// back-reference) leaves the facts empty, and then every place is tried as the engine would try it.
#include <bitset>
#include <cstddef>
#include <locale>
#include <string>
#include <string_view>

namespace hostkit::regex {

using ByteSet = std::bitset<256>;

struct PatternFacts {
  bool known = false;       // false: nothing is known; the other fields keep their defaults
  bool nullable = true;     // a match may be empty
  bool line_start = false;  // every match starts where "^" holds
  ByteSet first;            // when not nullable: every byte a match can start with (more is allowed)
  std::string prefix;       // every match starts with these bytes
  ByteSet needed;           // bytes that every match contains, those of the prefix left out
  // has_run: every match starts with at least run_min bytes of run, then a byte of run_end, which run does not
  // hold. So a match can start only inside a stretch of run bytes that a run_end byte ends ("[\w.]+@" in
  // "ab cd@": at c or d, never a or b). Under "i" both sets hold both cases.
  bool has_run = false;
  ByteSet run;
  ByteSet run_end;
  std::size_t run_min = 0;
  // Under the "i" flag, the other case of each byte (itself where it has none): then a prefix byte or a needed byte
  // stands for itself or its other case, and first holds both cases already. Null otherwise.
  const unsigned char* other_case = nullptr;
};

// Groups nest at most this deep in a pattern that is read; deeper ones are not read (the reader recurses once a
// level).
inline constexpr int kMaxFactsDepth = 64;

// Reads a pattern that the engine accepted in the dialect. Class escapes and bracket classes are read through
// std::regex_traits with the compiled pattern's locale, the way the engine reads them. other_case, for a pattern
// under "i", is the table the facts then refer to (it outlives them).
PatternFacts ReadPatternFacts(std::string_view pattern, const std::locale& locale,
                              const unsigned char* other_case = nullptr);

}  // namespace hostkit::regex
