// libFuzzer target for the regex commands with the guard on. Input: two bytes for the slice bounds, then pattern,
// replacement and text separated by NUL bytes (the host's strings cannot hold one).
// Beyond crashes, leaks and hangs it checks the guarded walks against plain std::regex on small inputs, where the
// unguarded engine is safe to run, and the walks that skip places against the engine's own walks (every place
// tried) over a text of several hundred bytes with the pattern's start bytes sprinkled in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <string_view>

#include "regex/commands.h"
#include "regex/dialect.h"
#include "regex/guard.h"
#include "regex/pattern_facts.h"
#include "regex/stack.h"

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

// The search walk over plain pointers and the unguarded engine.
std::string ReferencePositions(std::string_view text, const std::regex& re) {
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

constexpr std::size_t kReferenceBudget = 30'000;

std::optional<Walks> ReferenceWalks(const std::string& text, const std::regex& re, const std::string& replacement) {
  Guard guard(StackLowEnd() + 1024 * 1024, kReferenceBudget);
  Walks walks{"[", "[", {}};
  try {
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

// The commands against the engine's own walks, where both finished. "" is Replace's failure value only (a non-empty
// text and replacement give a non-empty result).
void CheckAgainstWalks(const std::string& text, const std::string& pattern, const std::string& replacement,
                       const Walks& walks) {
  const std::string replaced = Replace(text, pattern, replacement);
  if (replaced.empty()) return;
  Check(replaced == walks.replaced, "replace differs from the engine's walk");
  Check(SearchPositions(text, pattern) == walks.positions, "positions differ from the engine's walk");
  Check(Search(text, pattern) == walks.list, "search list differs from the engine's walk");
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

  const int matched = Match(text, pattern);
  const std::string positions = SearchPositions(text, pattern);
  const std::string list = Search(text, pattern);
  const std::string replaced = Replace(text, pattern, replacement);
  const std::string slice = ReplaceSlice(text, pattern, replacement, start, end);
  Check(positions.empty() == list.empty() || text.size() > 64, "search lists disagree on finding a match");

  if (text.empty() || pattern.empty()) return 0;
  std::regex re;
  try {
    re = Compile(pattern);
  } catch (const std::regex_error&) {
    Check(matched == 0 && positions.empty() && list.empty() && replaced.empty() && slice.empty(),
          "a rejected pattern gave a result");
    return 0;
  }
  // Differential checks where the engine's own walks finish within a small budget (the commands may have skipped
  // the costly places), and against the plain engine where that is safe besides (short text, so shallow recursion).
  if (matched == 1) Check(std::regex_match(text, re), "match differs from std::regex_match");
  if (replacement.empty()) return 0;
  const std::optional<Walks> walks = ReferenceWalks(text, re, replacement);
  if (walks) CheckAgainstWalks(text, pattern, replacement, *walks);
  if (walks && text.size() <= 64) {
    if (!positions.empty()) Check(positions == ReferencePositions(text, re), "positions differ from std::regex_search");
    if (!replaced.empty())
      Check(replaced == std::regex_replace(text, re, replacement), "replace differs from std::regex_replace");
  }
  // The same over a text long enough that the commands skip places.
  const std::string long_text = LongText(text, ReadPatternFacts(pattern, re.getloc()), data[0]);
  const std::optional<Walks> long_walks = ReferenceWalks(long_text, re, replacement);
  if (long_walks) CheckAgainstWalks(long_text, pattern, replacement, *long_walks);
  return 0;
}
