#include "regex/commands.h"

#include <algorithm>
#include <string>

#include "regex/dialect.h"
#include "regex/guard.h"
#include "regex/pattern_facts.h"
#include "regex/replacement.h"
#include "regex/run.h"
#include "regex/start_filter.h"

namespace hostkit::regex {
namespace {

// The pattern compiler recurses once per term and per "(" without any hook inside: measured on i686, 3,246 nested
// "(" or a 10,741-character literal filled 1 MB, so this much room per pattern byte is checked before compiling.
constexpr std::size_t kCompileBytesPerChar = 100 * sizeof(void*);

std::regex CompileGuarded(std::string_view pattern, Guard& guard) {
  if (pattern.size() > SIZE_MAX / kCompileBytesPerChar) guard.RequireRoom(SIZE_MAX);
  guard.RequireRoom(pattern.size() * kCompileBytesPerChar);
  std::regex compiled = Compile(pattern);
  const Shape shape = Measure(compiled);
  guard.Adopt(shape.states, shape.weight);
  return compiled;
}

GuardedMatch NewMatch(Guard& guard) { return GuardedMatch(GuardAlloc<std::sub_match<GuardedIter>>(&guard)); }

// A scan of the text with memchr or the start-byte table costs far less than the engine's try at a place (a call
// and a few touches of the text): one step is charged per this many bytes scanned.
constexpr std::size_t kScannedBytesPerStep = 16;

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

  Searcher(std::string_view pattern, const std::regex& compiled, const char* begin, const char* end, Guard& guard)
      : compiled_(compiled),
        end_(end),
        guard_(guard),
        filter_(Facts(pattern, compiled, guard), std::string_view(begin, static_cast<std::size_t>(end - begin))),
        call_cost_(kCallCostBytes + static_cast<std::ptrdiff_t>(pattern.size() / 16)),
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
  // Measured natively: a call costs about 100 ns more than a try inside the loop, and the loop spends 20 to 25 ns
  // on a place where the first byte cannot start a match: a call is worth 4 skipped places. Patterns with many
  // states cost more a call (each call clears a table as large as the pattern). The credit is kept within a few
  // calls so that it follows the text.
  static constexpr std::ptrdiff_t kCallCostBytes = 4;
  static constexpr std::ptrdiff_t kCreditCalls = 8;

  static PatternFacts Facts(std::string_view pattern, const std::regex& compiled, Guard& guard) {
    guard.Charge(pattern.size());
    return ReadPatternFacts(pattern, compiled.getloc());
  }

  void Earn(std::ptrdiff_t bytes) {
    const std::ptrdiff_t limit = kCreditCalls * call_cost_;
    credit_ = std::clamp(credit_ + bytes, -limit, limit);
  }

  bool Handover(const char* at, const char* from, GuardedMatch& m, Flags here) {
    if (!Engine(at, m, here)) return false;
    const char* const reached = m[0].first.base();
    std::ptrdiff_t worth = reached - at;
    for (const char* p = filter_.Next(at + 1, from, end_); p != nullptr && p < reached && worth > -call_cost_;
         p = filter_.Next(p + 1, from, end_))
      worth -= call_cost_;
    ChargeScan();
    Earn(worth);
    return true;
  }

  void ChargeScan() { guard_.Charge(filter_.TakeScanned() / kScannedBytesPerStep); }

  const std::regex& compiled_;
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
void SearchWalk(std::string_view text, std::string_view pattern, const std::regex& compiled, Guard& guard,
                Found&& found) {
  const char* const end = text.data() + text.size();
  Searcher searcher(pattern, compiled, text.data(), end, guard);
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
std::string ReplaceWalk(std::string_view text, std::string_view pattern, const std::regex& compiled,
                        const Replacement& replacement, Guard& guard) {
  using namespace std::regex_constants;
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  Searcher searcher(pattern, compiled, text.data(), end, guard);
  std::string out;
  GuardedMatch m = NewMatch(guard);
  match_flag_type flags = match_default;
  if (!searcher.Search(begin, m, flags)) {
    guard.Charge(text.size());
    return std::string(text);
  }
  const char* before = begin;  // where the text not yet copied starts
  while (true) {
    const char* const first = m[0].first.base();
    const char* const last = m[0].second.base();
    guard.Charge(static_cast<std::size_t>(first - before));
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
  guard.Charge(static_cast<std::size_t>(end - before));
  out.append(before, end);
  return out;
}

std::string ReplaceGuarded(std::string_view text, std::string_view pattern, std::string_view replacement) {
  return RunGuarded(text.size(),
                    [&](Guard& guard) {
                      const std::regex compiled = CompileGuarded(pattern, guard);
                      return ReplaceWalk(text, pattern, compiled, Replacement(replacement), guard);
                    })
      .value_or(std::string());
}

}  // namespace

int Match(std::string_view text, std::string_view pattern) {
  if (text.empty() || pattern.empty()) return 0;
  return RunGuarded(
             text.size(),
             [&](Guard& guard) {
               const std::regex compiled = CompileGuarded(pattern, guard);
               GuardedMatch m = NewMatch(guard);
               const char* const end = text.data() + text.size();
               return std::regex_match(GuardedIter(text.data(), &guard), GuardedIter(end, &guard), m, compiled) ? 1 : 0;
             })
      .value_or(0);
}

std::string Search(std::string_view text, std::string_view pattern) {
  if (text.empty() || pattern.empty()) return {};
  return RunGuarded(text.size(),
                    [&](Guard& guard) {
                      const std::regex compiled = CompileGuarded(pattern, guard);
                      std::string list = "[";
                      SearchWalk(text, pattern, compiled, guard, [&](const GuardedMatch& m, const char*, const char*) {
                        for (std::size_t i = 0; i < m.size(); ++i) {
                          const char* const first = m[i].matched ? m[i].first.base() : nullptr;
                          const char* const last = m[i].matched ? m[i].second.base() : nullptr;
                          guard.Charge(static_cast<std::size_t>(last - first) + 3);
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
  if (text.empty() || pattern.empty()) return {};
  return RunGuarded(text.size(),
                    [&](Guard& guard) {
                      const std::regex compiled = CompileGuarded(pattern, guard);
                      std::string list = "[";
                      SearchWalk(text, pattern, compiled, guard,
                                 [&](const GuardedMatch&, const char* first, const char* last) {
                                   guard.Charge(24);
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
  if (text.empty() || pattern.empty() || replacement.empty()) return {};
  return ReplaceGuarded(text, pattern, replacement);
}

std::string ReplaceSlice(std::string_view text, std::string_view pattern, std::string_view replacement,
                         std::int32_t start, std::int32_t end) {
  if (text.empty() || pattern.empty() || replacement.empty()) return {};
  const std::size_t n = text.size();
  const std::size_t stop = end < 0 || static_cast<std::size_t>(end) > n ? n : static_cast<std::size_t>(end);
  const std::size_t from = start < 0 || static_cast<std::size_t>(start) > stop ? 0 : static_cast<std::size_t>(start);
  // The slice is a sub-range, not a copy: the engine never reads outside [from, stop) of a range it is given
  // (without match_prev_avail), so its first byte is the beginning of the input and its end the end.
  return ReplaceGuarded(text.substr(from, stop - from), pattern, replacement);
}

}  // namespace hostkit::regex
