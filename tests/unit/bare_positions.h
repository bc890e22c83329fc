#pragma once
// The position list of the commands' search walk, made by the bare engine with plain pointers (every place tried,
// an empty match stepping one byte on): the reference the skipping walks are compared with.
#include <regex>
#include <string>

template <class Re>
std::string BarePositions(const std::string& text, const Re& re) {
  std::string list;
  for (const char *from = text.data(), *end = from + text.size();;) {
    std::cmatch m;
    if (!std::regex_search(from, end, m, re)) break;
    list += "{" + std::to_string(m[0].first - text.data()) + "," + std::to_string(m.length(0)) + "},";
    if (m.length(0) != 0)
      from = m[0].second;
    else if (m[0].second == end)
      break;
    else
      from = m[0].second + 1;
  }
  return list.empty() ? list : "[" + list.substr(0, list.size() - 1) + "]";
}
