#pragma once
// The commands' search walk made by the bare engine with plain pointers (every place tried, an empty match stepping
// one byte on): the reference the skipping walks are compared with.
#include <regex>
#include <string>

// Every match of the walk, in order, to visit.
template <class Re, class Visit>
void BareWalk(const std::string& text, const Re& re, Visit visit) {
  for (const char *from = text.data(), *end = from + text.size();;) {
    std::cmatch m;
    if (!std::regex_search(from, end, m, re)) break;
    visit(m);
    if (m.length(0) != 0)
      from = m[0].second;
    else if (m[0].second == end)
      break;
    else
      from = m[0].second + 1;
  }
}

// The position list of the walk, as RegExSearchPosition gives it.
template <class Re>
std::string BarePositions(const std::string& text, const Re& re) {
  std::string list;
  BareWalk(text, re, [&](const std::cmatch& m) {
    list += "{" + std::to_string(m[0].first - text.data()) + "," + std::to_string(m.length(0)) + "},";
  });
  return list.empty() ? list : "[" + list.substr(0, list.size() - 1) + "]";
}
