// libFuzzer target for the regex commands with the guard on. Input: two bytes for the slice bounds, then pattern,
// replacement and text separated by NUL bytes (the host's strings cannot hold one).
// Beyond crashes, leaks and hangs it checks the guarded walks against plain std::regex on small inputs, where the
// unguarded engine is safe to run once the guarded command finished within its bounds, and the walks that skip places
// against the engine's own walks (every place tried) over a text of several hundred bytes with the pattern's start
// bytes sprinkled in. The commands after the first find the pattern in the cache. The dialect's traits answer from
// tables: on short texts the same pattern compiled with the base std::regex_traits<char> (same locale) must give the
// same answers. A leading flag group is read as the commands read it: the reference compiles the rest with the
// engine's icase under "i".
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

#include "regex/bounds/guard.h"
#include "regex/bounds/stack.h"
#include "regex/commands.h"
#include "regex/engine/case_fold.h"
#include "regex/engine/dialect.h"
#include "regex/engine/traits_tables.h"
#include "regex/pattern_cache.h"
#include "regex/skip/pattern_facts.h"

namespace {

using namespace hostkit::regex;

std::string_view Field(std::string_view& rest) {
  const std::size_t nul = rest.find('\0');
  const std::string_view field = rest.substr(0, nul);
  rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  return field;
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "mismatch: %s\n", what);
    std::abort();
  }
}

// The search walk over plain pointers and the unguarded engine, with the dialect's traits or the base's.
template <class Re>
std::string ReferencePositions(std::string_view text, const Re& re) {
  std::string list = "[";
  const char* const end = text.data() + text.size();
  std::cmatch m;
  for (const char* from = text.data();;) {
    if (!std::regex_search(from, end, m, re)) break;
    const char* first = m[0].first;
    const char* last = m[0].second;
    list += "{" + std::to_string(first - text.data()) + "," + std::to_string(last - first) + "},";
    if (last != first)
      from = last;
    else if (last == end)
      break;
    else
      from = last + 1;
  }
  if (list.size() == 1) return {};
  list.back() = ']';
  return list;
}

// A text of several hundred bytes: pieces of the input's text, the pattern's prefix, bytes that can start a match,
// the byte every match needs, and line feeds, in an order drawn from seed.
std::string LongText(const std::string& text, const PatternFacts& facts, std::uint8_t seed) {
  std::string starts;
  for (int b = 0; b < 256 && starts.size() < 48; ++b)
    if (facts.first[static_cast<std::size_t>(b)] || facts.needed[static_cast<std::size_t>(b)])
      starts += static_cast<char>(b);
  std::string out;
  const std::size_t size = 300 + 2 * std::size_t{seed};
  std::uint32_t state = seed;
  while (out.size() < size) {
    state = state * 1103515245u + 12345u;
    const std::uint32_t pick = state >> 16;
    switch (pick % 6) {
      case 0:
      case 1:
        out.append(text, pick % text.size(), 1 + pick % 40);
        break;
      case 2:
        out += facts.prefix;
        // Under "i" the prefix turns up in the other case too, where a filter that kept the case would skip it.
        if (facts.other_case != nullptr && pick % 2 == 0)
          for (std::size_t i = out.size() - facts.prefix.size(); i < out.size(); ++i)
            out[i] = static_cast<char>(facts.other_case[static_cast<unsigned char>(out[i])]);
        break;
      case 3:
        if (!starts.empty()) out += starts[pick % starts.size()];
        break;
      case 4:
        out += pick % 3 == 0 ? "\r\n" : "\n";
        break;
      default:
        out += text[pick % text.size()];
        break;
    }
  }
  return out;
}

// The engine's own walks, every place tried, through the guarded iterator with a small budget of their own so that
// runaway inputs end; nothing when the budget or the stack ran out.
struct Walks {
  std::string positions;
  std::string list;
  std::string replaced;
};

// About 0.2 ms of matching: a small share of what the commands may spend over such texts.
constexpr std::int64_t kReferenceSteps = 200'000;

std::optional<Walks> ReferenceWalks(const std::string& text, const Regex& re, const std::string& replacement) {
  Budget budget{kReferenceSteps, Clock::now() + std::chrono::seconds(2)};
  Guard guard(StackLowEnd() + 1024 * 1024, budget);
  Walks walks{"[", "[", {}};
  try {
    // As in the commands: the engine's work between two touches counts, and a pattern whose work there the count
    // cannot bound (nested empty alternatives) ends at its first touch.
    const Shape shape = Measure(re);
    guard.Adopt(shape.states, shape.weight);
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    GuardedMatch m{GuardAlloc<std::sub_match<GuardedIter>>(&guard)};
    for (const char* from = begin;;) {
      if (!std::regex_search(GuardedIter(from, &guard), GuardedIter(end, &guard), m, re)) break;
      const char* first = m[0].first.base();
      const char* last = m[0].second.base();
      walks.positions += "{" + std::to_string(first - begin) + "," + std::to_string(last - first) + "},";
      for (std::size_t i = 0; i < m.size(); ++i) {
        walks.list += '"';
        if (m[i].matched) walks.list.append(m[i].first.base(), m[i].second.base());
        walks.list += "\",";
      }
      if (last != first)
        from = last;
      else if (last == end)
        break;
      else
        from = last + 1;
    }
    std::regex_replace(std::back_inserter(walks.replaced), GuardedIter(begin, &guard), GuardedIter(end, &guard), re,
                       replacement);
  } catch (const std::regex_error&) {
    return std::nullopt;
  }
  for (std::string* list : {&walks.positions, &walks.list}) {
    if (list->size() == 1)
      list->clear();
    else
      list->back() = ']';
  }
  return walks;
}

// Whether the last command ended at a bound (time, memory, stack) rather than with an answer.
bool Bounded() { return *LastError() != '\0' && std::string_view(LastError()).rfind("pattern", 0) != 0; }

// The commands against the engine's own walks, where both finished.
void CheckAgainstWalks(const std::string& text, const std::string& pattern, const std::string& replacement,
                       const Walks& walks) {
  const std::string replaced = Replace(text, pattern, replacement);
  if (!Bounded()) Check(replaced == walks.replaced, "replace differs from the engine's walk");
  const std::string positions = SearchPositions(text, pattern);
  if (!Bounded()) Check(positions == walks.positions, "positions differ from the engine's walk");
  const std::string list = Search(text, pattern);
  if (!Bounded()) Check(list == walks.list, "search list differs from the engine's walk");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const auto start = static_cast<std::int8_t>(data[0]);
  const auto end = static_cast<std::int8_t>(data[1]);
  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::string pattern(Field(rest));
  const std::string replacement(Field(rest));
  const std::string text(Field(rest));

  // Each command's result with its error: a bound (time, memory, stack) may end one command and not another.
  // The first command compiles the pattern afresh; the others find it in the cache.
  PatternCache::Shared().Clear();
  const int matched = Match(text, pattern);
  const bool match_bounded = Bounded();
  const std::string positions = SearchPositions(text, pattern);
  const bool positions_bounded = Bounded();
  const std::string list = Search(text, pattern);
  const bool list_bounded = Bounded();
  const std::string replaced = Replace(text, pattern, replacement);
  const bool replace_bounded = Bounded();
  const std::string slice = ReplaceSlice(text, pattern, replacement, start, end);
  Check(positions.empty() == list.empty() || positions_bounded || list_bounded,
        "search lists disagree on finding a match");
  const int matched_again = Match(text, pattern);
  Check(matched_again == matched || match_bounded || Bounded(),
        "the cached pattern's match differs from the fresh one");

  // A pattern that is only a flag group is the empty pattern: no command answers anything for it.
  if (IsEmptyPattern(pattern))
    Check(matched == 0 && positions.empty() && list.empty() && replaced.empty() && slice.empty(),
          "a pattern of flags alone gave a result");
  if (text.empty() || IsEmptyPattern(pattern)) return 0;
  Regex re;
  FlaggedPattern flagged;
  try {
    flagged = ReadFlags(pattern);
    re = Compile(flagged.body, flagged.flags);
  } catch (const std::regex_error&) {
    Check(matched == 0 && positions.empty() && list.empty() && replaced.empty() && slice.empty(),
          "a rejected pattern gave a result");
    return 0;
  }
  // Below the bounds the answer is exactly the engine's, "no match" included. Whole-text match does not skip, so
  // its guarded run proves the plain engine's work small.
  if (!match_bounded) Check(matched == (std::regex_match(text, re) ? 1 : 0), "match differs from std::regex_match");
  if (replacement.empty()) return 0;
  // The walks may have skipped the costly places: the engine's own walks, every place tried, must finish within a
  // small budget of their own before the plain engine is run on the short text (shallow recursion there).
  const std::optional<Walks> walks = ReferenceWalks(text, re, replacement);
  if (walks) CheckAgainstWalks(text, pattern, replacement, *walks);
  if (walks && text.size() <= 64) {
    if (!positions_bounded) Check(positions == ReferencePositions(text, re), "positions differ from std::regex_search");
    if (!replace_bounded)
      Check(replaced == std::regex_replace(text, re, replacement), "replace differs from std::regex_replace");
    // The base traits with the same locale and flags: "i" compiles with the engine's icase and the folding locale,
    // "s" reads the body, whose "." the flag reading rewrote.
    std::regex base;
    base.imbue(flagged.flags.icase ? IcaseLocale() : DialectLocale());
    try {
      base.assign(flagged.body, std::regex::ECMAScript | std::regex::multiline |
                                    (flagged.flags.icase ? std::regex::icase : std::regex::flag_type{}));
    } catch (const std::regex_error&) {
      Check(false, "the base traits reject a pattern the tables accept");
    }
    if (!match_bounded)
      Check(std::regex_match(text, re) == std::regex_match(text, base), "match differs from the base traits'");
    Check(ReferencePositions(text, re) == ReferencePositions(text, base), "positions differ from the base traits'");
    Check(std::regex_replace(text, re, replacement) == std::regex_replace(text, base, replacement),
          "replace differs from the base traits'");
  }
  // The same over a text long enough that the commands skip places.
  const unsigned char* other_case = flagged.flags.icase ? CodePageFold().other : nullptr;
  const std::string long_text = LongText(text, ReadPatternFacts(flagged.body, re.getloc(), other_case), data[0]);
  const std::optional<Walks> long_walks = ReferenceWalks(long_text, re, replacement);
  if (long_walks) CheckAgainstWalks(long_text, pattern, replacement, *long_walks);
  return 0;
}
