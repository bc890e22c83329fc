#pragma once
// Finds, from a pattern's facts, the places of a text where a match can start: a scan for the prefix's rarest byte,
// a 256-entry table of start bytes, the stretches of a leading run that end where the pattern needs them to, the
// line starts of a "^" pattern, and an end to the search once a byte that
// every match needs is no longer in the text. Which byte of the prefix, and which needed byte, is the rarest is
// read from a sample of the text.
#include <cstddef>
#include <string>
#include <string_view>

#include "regex/skip/pattern_facts.h"

namespace hostkit::regex {

class StartFilter {
 public:
  StartFilter(const PatternFacts& facts, std::string_view text);

  // False when every place may start a match: then there is nothing to skip.
  bool skips() const noexcept { return skips_; }

  // The first place in [at, end] where a match can start, or nullptr when no match can start there. A search that
  // began at search_start may match there whatever precedes it, so that place is never skipped for "^".
  // Calls of one walk give non-decreasing values of at. Whatever the filter, only bytes of [at, end) are read, and
  // an at past end (the place after a walk's last, the end) gives nullptr.
  const char* Next(const char* at, const char* search_start, const char* end);

  // Bytes looked at since the last call, for the guard.
  std::size_t TakeScanned() noexcept;

 private:
  bool Fits(const char* at, const char* end) const;
  bool PrefixAt(const char* at) const;  // the prefix's bytes, in either case under "i", at [at, at + size)
  unsigned char Other(unsigned char b) const noexcept { return other_case_ != nullptr ? other_case_[b] : b; }
  const char* NextStart(const char* at, const char* end);
  const char* NextRunStart(const char* at, const char* end);
  const char* NextLineStart(const char* at, const char* search_start, const char* end);
  bool NeededAhead(const char* at, const char* end);

  bool skips_ = false;
  bool nullable_ = true;
  bool line_start_ = false;
  bool table_[256] = {};
  std::string prefix_;
  std::size_t rare_ = 0;                       // index in prefix_ of the byte scanned for
  const unsigned char* other_case_ = nullptr;  // under "i": each prefix or needed byte stands for both its cases
  // A leading run (PatternFacts::has_run), used when there is no prefix: its bytes, the bytes that may end it
  // (found with the word-at-a-time scan when they are one byte or a case pair: run_ends_), and its least length.
  bool runs_ = false;
  bool run_[256] = {};
  bool run_end_[256] = {};
  int run_ends_[2] = {-1, -1};
  std::size_t run_min_ = 0;
  int needed_ = -1;
  const char* needed_from_ = nullptr;  // the needed byte is not in [needed_from_, needed_at_)
  const char* needed_at_ = nullptr;    // where it is, or nullptr when it is not after needed_from_
  std::size_t scanned_ = 0;
};

}  // namespace hostkit::regex
