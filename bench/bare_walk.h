#pragma once
// The search walk of the commands with plain pointers and the bare engine: every match from the start of the text,
// an empty match stepping one byte on. What std::regex costs with nothing around it.
#include <regex>
#include <string>

namespace bench {

template <class Visit>
void BareWalk(const std::string& text, const std::regex& re, Visit visit) {
  const char* const end = text.data() + text.size();
  std::cmatch m;
  for (const char* from = text.data();;) {
    if (!std::regex_search(from, end, m, re)) break;
    visit(m);
    if (m[0].second != m[0].first)
      from = m[0].second;
    else if (m[0].second == end)
      break;
    else
      from = m[0].second + 1;
  }
}

}  // namespace bench
