// libFuzzer target for the regex commands with the guard on. Input: two bytes for the slice bounds, then pattern,
// replacement and text separated by NUL bytes (the host's strings cannot hold one).
// Beyond crashes, leaks and hangs it checks the guarded walks against plain std::regex on small inputs, where the
// unguarded engine is safe to run once the guarded command finished within its bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>

#include "regex/commands.h"
#include "regex/dialect.h"

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
std::string ReferencePositions(std::string_view text, const Regex& re) {
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
  auto bounded = [] { return *LastError() != '\0' && std::string_view(LastError()).rfind("pattern", 0) != 0; };
  const int matched = Match(text, pattern);
  const bool match_bounded = bounded();
  const std::string positions = SearchPositions(text, pattern);
  const bool positions_bounded = bounded();
  const std::string list = Search(text, pattern);
  const bool list_bounded = bounded();
  const std::string replaced = Replace(text, pattern, replacement);
  const bool replace_bounded = bounded();
  const std::string slice = ReplaceSlice(text, pattern, replacement, start, end);
  Check(positions.empty() == list.empty() || positions_bounded || list_bounded,
        "search lists disagree on finding a match");

  // Differential checks where the guarded commands finished and the plain engine is safe (short text, so shallow
  // recursion; the guarded run already proved the work small).
  if (text.empty() || pattern.empty() || text.size() > 64) return 0;
  Regex re;
  try {
    re = Compile(pattern);
  } catch (const std::regex_error&) {
    Check(matched == 0 && positions.empty() && list.empty() && replaced.empty() && slice.empty(),
          "a rejected pattern gave a result");
    return 0;
  }
  // Below the bounds the answer is exactly the engine's, "no match" included.
  if (!positions_bounded) Check(positions == ReferencePositions(text, re), "positions differ from std::regex_search");
  if (!match_bounded) Check(matched == (std::regex_match(text, re) ? 1 : 0), "match differs from std::regex_match");
  if (!replace_bounded && !replacement.empty())
    Check(replaced == std::regex_replace(text, re, replacement), "replace differs from std::regex_replace");
  return 0;
}
