#include "regex/commands.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "regex/bounds/bounds.h"
#include "regex/bounds/guard.h"
#include "regex/bounds/run.h"
#include "regex/engine/dialect.h"
#include "regex/pattern.h"
#include "regex/pattern_cache.h"
#include "regex/replacement.h"
#include "regex/skip/start_filter.h"

namespace hostkit::regex {
namespace {

// The reason the last regex command of this thread failed; empty after one that worked. A plain array: a
// thread_local with a destructor would need the runtime's TLS destructor support in the DLL.
thread_local char last_error[96];

const char* EngineErrorName(std::regex_constants::error_type code) {
  using namespace std::regex_constants;
  switch (code) {
    case error_collate:
      return "invalid collating element";
    case error_ctype:
      return "invalid character class";
    case error_escape:
      return "invalid escape";
    case error_backref:
      return "invalid back-reference";
    case error_brack:
      return "unbalanced bracket";
    case error_paren:
      return "unbalanced parenthesis";
    case error_brace:
      return "unbalanced brace";
    case error_badbrace:
      return "invalid repetition count";
    case error_range:
      return "invalid character range";
    case error_space:
      return "pattern too large";
    case error_badrepeat:
      return "nothing to repeat";
    default:
      return "invalid pattern";
  }
}

void Report(const Failure& failure, const char* flag_reason) {
  switch (failure.kind) {
    case Failure::Kind::kNone:
      last_error[0] = '\0';
      return;
    case Failure::Kind::kRejected:
      std::snprintf(last_error, sizeof last_error, "pattern rejected: %s",
                    flag_reason[0] != '\0' ? flag_reason : EngineErrorName(failure.code));
      return;
    case Failure::Kind::kTime:
      std::snprintf(last_error, sizeof last_error, "%s", "time bound exceeded");
      return;
    case Failure::Kind::kMemory:
      std::snprintf(last_error, sizeof last_error, "%s", "memory bound exceeded");
      return;
    case Failure::Kind::kStack:
      std::snprintf(last_error, sizeof last_error, "%s", "stack exhausted");
      return;
    case Failure::Kind::kInternal:
      std::snprintf(last_error, sizeof last_error, "%s", "internal error");
      return;
  }
}

// Runs a command's job within its bounds and records how it went.
// A flag group's rejection names the flag: its reason is kept as the error passes.
template <class Job>
auto Run(Limits limits, Job job) {
  Failure failure;
  char flag_reason[64] = "";
  auto result = RunGuarded(limits, failure, [&](Guard& guard) {
    try {
      return job(guard);
    } catch (const FlagError& e) {
      std::snprintf(flag_reason, sizeof flag_reason, "%s", e.what());
      throw;
    }
  });
  Report(failure, flag_reason);
  return result;
}

// A command given an empty argument answers its failure value without an error.
void NoError() { last_error[0] = '\0'; }

// The pattern compiled, from the shared cache or now, with the guard adapted to it.
PatternLease Lease(std::string_view pattern, Guard& guard) {
  PatternLease lease = PatternCache::Shared().Get(pattern, guard);
  guard.Adopt(lease->shape.states, lease->shape.weight);
  return lease;
}

GuardedMatch NewMatch(Guard& guard) { return GuardedMatch(GuardAlloc<std::sub_match<GuardedIter>>(&guard)); }

// The searches of a walk over the text [begin, end). Each gives what std::regex_search(from, end, m, compiled,
// flags) gives, but asks the engine only at the places where the pattern's facts let a match start. The engine's
// own loop (libstdc++'s _M_search) tries from with flags and every later place with match_prev_avail added; a call
// with match_continuous tries one place just so.
//
// A call costs more than a try inside the engine's loop, so where the places come thick and the tries fail, the
// search is handed to the loop from the first place on. A credit, in bytes of the loop's work, keeps count of what
// the calls saved (the bytes skipped) and cost; after a handover it is paid what the loop's bytes were worth against
// the places that calls would have tried there, so that skipping resumes where the text turns sparse.
class Searcher {
 public:
  using Flags = std::regex_constants::match_flag_type;

  Searcher(const CompiledPattern& pattern, const char* begin, const char* end, Guard& guard)
      : compiled_(pattern.regex),
        end_(end),
        guard_(guard),
        filter_(pattern.facts, std::string_view(begin, static_cast<std::size_t>(end - begin))),
        call_cost_(bounds::kCallCostPlaces +
                   static_cast<std::ptrdiff_t>(pattern.source_bytes) / bounds::kPatternBytesPerPlace),
        credit_(2 * call_cost_) {}

  bool Search(const char* from, GuardedMatch& m, Flags flags) {
    if (!filter_.skips()) return Engine(from, m, flags);
    for (const char* at = filter_.Next(from, from, end_); at != nullptr;) {
      ChargeScan();
      const Flags here = at == from ? flags : flags | std::regex_constants::match_prev_avail;
      if (credit_ < 0) return Handover(at, from, m, here);
      if (Engine(at, m, here | std::regex_constants::match_continuous)) return true;
      if (at == end_) break;
      const char* const next = filter_.Next(at + 1, from, end_);
      if (next != nullptr) Earn((next - at) - call_cost_);
      at = next;
    }
    ChargeScan();
    return false;
  }

  // One engine call over [from, end), at every place it chooses to try.
  bool Engine(const char* from, GuardedMatch& m, Flags flags) {
    return std::regex_search(GuardedIter(from, &guard_), GuardedIter(end_, &guard_), m, compiled_, flags);
  }

 private:
  void Earn(std::ptrdiff_t bytes) {
    const std::ptrdiff_t limit = bounds::kCreditCalls * call_cost_;
    credit_ = std::clamp(credit_ + bytes, -limit, limit);
  }

  bool Handover(const char* at, const char* from, GuardedMatch& m, Flags here) {
    if (!Engine(at, m, here)) return false;
    const char* const reached = m[0].first.base();
    std::ptrdiff_t worth = reached - at;
    // A handover at the end itself has no place after it.
    for (const char* p = at == end_ ? nullptr : filter_.Next(at + 1, from, end_);
         p != nullptr && p < reached && worth > -call_cost_; p = filter_.Next(p + 1, from, end_))
      worth -= call_cost_;
    ChargeScan();
    Earn(worth);
    return true;
  }

  void ChargeScan() { guard_.Charge(static_cast<std::int64_t>(filter_.TakeScanned()) / bounds::kScannedBytesPerStep); }

  const Regex& compiled_;
  const char* end_;
  Guard& guard_;
  StartFilter filter_;
  std::ptrdiff_t call_cost_;
  std::ptrdiff_t credit_;
};

// The search walk. Each remainder of the text is searched as a fresh input (no character before it is visible),
// without copying. An empty match is listed like any other and the next search starts one byte further on; the
// walk ends once the empty remainder at the end of the text has been searched.
template <class Found>
void SearchWalk(std::string_view text, const CompiledPattern& pattern, Guard& guard, Found&& found) {
  const char* const end = text.data() + text.size();
  Searcher searcher(pattern, text.data(), end, guard);
  GuardedMatch m = NewMatch(guard);
  for (const char* from = text.data();;) {
    if (!searcher.Search(from, m, std::regex_constants::match_default)) return;
    const char* const first = m[0].first.base();
    const char* const last = m[0].second.base();
    found(m, first, last);
    if (last != first)
      from = last;
    else if (last == end)
      return;
    else
      from = last + 1;
  }
}

// The replace walk of std::regex_replace with default flags (regex_iterator's steps in libstdc++ 12), run through
// the guarded iterator: after a non-empty match the previous byte is visible to anchors (match_prev_avail); after
// an empty one a non-empty match at the same place is tried first, else the search moves on by one byte.
std::string ReplaceWalk(std::string_view text, const CompiledPattern& pattern, const Replacement& replacement,
                        Guard& guard) {
  using namespace std::regex_constants;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  Searcher searcher(pattern, text.data(), end, guard);
  std::string out;
  GuardedMatch m = NewMatch(guard);
  match_flag_type flags = match_default;
  if (!searcher.Search(begin, m, flags)) {
    guard.Charge(static_cast<std::int64_t>(text.size()) * bounds::kResultByteCost);
    return std::string(text);
  }
  const char* before = begin;  // where the text not yet copied starts
  while (true) {
    const char* const first = m[0].first.base();
    const char* const last = m[0].second.base();
    guard.Charge((first - before) * bounds::kResultByteCost);
    out.append(before, first);
    replacement.Expand(m, before, end, out, guard);
    before = last;
    const char* from = last;
    if (first == last) {
      if (from == end) break;
      if (searcher.Engine(from, m, flags | match_not_null | match_continuous)) continue;
      ++from;
    }
    flags |= match_prev_avail;
    if (!searcher.Search(from, m, flags)) break;
  }
  guard.Charge((end - before) * bounds::kResultByteCost);
  out.append(before, end);
  return out;
}

std::string ReplaceGuarded(std::string_view text, std::string_view pattern, std::string_view replacement,
                           std::size_t argument_bytes) {
  return Run({text.size(), argument_bytes},
             [&](Guard& guard) {
               const PatternLease lease = Lease(pattern, guard);
               return ReplaceWalk(text, *lease, Replacement(replacement), guard);
             })
      .value_or(std::string());
}

}  // namespace

int Match(std::string_view text, std::string_view pattern) {
  NoError();
  if (text.empty() || IsEmptyPattern(pattern)) return 0;
  return Run({text.size(), text.size() + pattern.size()},
             [&](Guard& guard) {
               const PatternLease lease = Lease(pattern, guard);
               GuardedMatch m = NewMatch(guard);
               const char* const end = text.data() + text.size();
               const bool matched =
                   std::regex_match(GuardedIter(text.data(), &guard), GuardedIter(end, &guard), m, lease->regex);
               return matched ? 1 : 0;
             })
      .value_or(0);
}

std::string Search(std::string_view text, std::string_view pattern) {
  NoError();
  if (text.empty() || IsEmptyPattern(pattern)) return {};
  return Run({text.size(), text.size() + pattern.size()},
             [&](Guard& guard) {
               const PatternLease lease = Lease(pattern, guard);
               std::string list = "[";
               SearchWalk(text, *lease, guard, [&](const GuardedMatch& m, const char*, const char*) {
                 for (std::size_t i = 0; i < m.size(); ++i) {
                   const char* const first = m[i].matched ? m[i].first.base() : nullptr;
                   const char* const last = m[i].matched ? m[i].second.base() : nullptr;
                   guard.Charge((last - first + 3) * bounds::kResultByteCost);
                   list += '"';
                   list.append(first, last);
                   list += "\",";
                 }
               });
               if (list.size() == 1) return std::string();
               list.back() = ']';
               return list;
             })
      .value_or(std::string());
}

std::string SearchPositions(std::string_view text, std::string_view pattern) {
  NoError();
  if (text.empty() || IsEmptyPattern(pattern)) return {};
  return Run({text.size(), text.size() + pattern.size()},
             [&](Guard& guard) {
               const PatternLease lease = Lease(pattern, guard);
               std::string list = "[";
               SearchWalk(text, *lease, guard, [&](const GuardedMatch&, const char* first, const char* last) {
                 guard.Charge(24 * bounds::kResultByteCost);
                 list += '{';
                 list += std::to_string(first - text.data());
                 list += ',';
                 list += std::to_string(last - first);
                 list += "},";
               });
               if (list.size() == 1) return std::string();
               list.back() = ']';
               return list;
             })
      .value_or(std::string());
}

std::string Replace(std::string_view text, std::string_view pattern, std::string_view replacement) {
  NoError();
  if (text.empty() || IsEmptyPattern(pattern) || replacement.empty()) return {};
  return ReplaceGuarded(text, pattern, replacement, text.size() + pattern.size() + replacement.size());
}

std::string ReplaceSlice(std::string_view text, std::string_view pattern, std::string_view replacement,
                         std::int32_t start, std::int32_t end) {
  NoError();
  if (text.empty() || IsEmptyPattern(pattern) || replacement.empty()) return {};
  const std::size_t n = text.size();
  const std::size_t stop = end < 0 || static_cast<std::size_t>(end) > n ? n : static_cast<std::size_t>(end);
  const std::size_t from = start < 0 || static_cast<std::size_t>(start) > stop ? 0 : static_cast<std::size_t>(start);
  // The slice is a sub-range, not a copy: the engine never reads outside [from, stop) of a range it is given
  // (without match_prev_avail), so its first byte is the beginning of the input and its end the end.
  return ReplaceGuarded(text.substr(from, stop - from), pattern, replacement,
                        text.size() + pattern.size() + replacement.size());
}

const char* LastError() noexcept { return last_error; }

}  // namespace hostkit::regex
