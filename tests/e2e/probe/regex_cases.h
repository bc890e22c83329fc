#pragma once
// The regex cases that each need a host process of their own: runaway patterns that end at a bound, and heavy
// but finite ones that must give the bare engine's answer. Shared by regex_probe.cpp and regex_bounds_test.cpp.
#include <cstddef>
#include <string>
#include <vector>

namespace e2e::regex_cases {

struct Case {
  const char* name;
  const char* command;  // RegExMatch, RegExSearchPosition or RegExReplace
  std::string text;
  std::string pattern;
  std::string replacement;  // RegExReplace only
};

inline std::string Repeat(const std::string& piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

// Prose: words, numbers and addresses.
inline std::string Prose(std::size_t size) {
  static const char* const lines[] = {"Order 10442 shipped to anna.berg@example.com on 2024-03-18, total 129.90\n",
                                      "lorem ipsum dolor sit amet, consectetur adipiscing elit; call 555 0199 now\n",
                                      "nothing to see on this line at all, just words and more words here\n"};
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += lines[i % 3];
  text.resize(size);
  return text;
}

inline std::vector<Case> All() {
  const std::size_t mb = std::size_t{1} << 20;
  const std::string as(mb, 'a');
  return {
      // Deep matches: the matcher recurses once per character (240 bytes of stack for ".*", 530 for "(a|b)*" on
      // i686), inside the memory bound up to about 270,000 and 120,000 characters.
      {"dot-star-200k", "RegExMatch", std::string(200000, 'a'), ".*", ""},
      {"dot-star-250k", "RegExMatch", std::string(250000, 'a'), ".*", ""},
      {"class-star-250k", "RegExMatch", Repeat("ab", 125000), "[ab]*", ""},
      {"alternatives-80k", "RegExSearchPosition", std::string(80000, 'a'), "(a|b)*", ""},
      {"alternatives-100k", "RegExSearchPosition", std::string(100000, 'a'), "(a|b)*", ""},
      {"dot-star-400k", "RegExMatch", std::string(400000, 'a'), ".*", ""},
      {"alternatives-200k", "RegExSearchPosition", std::string(200000, 'a'), "(a|b)*", ""},
      // An answer ten times the text: every place of a megabyte matches the empty string.
      {"empty-matches", "RegExSearchPosition", Prose(mb), "x*", ""},
      // Chains of empty alternatives before a back-reference whose group is always set: no silent work.
      {"sure-backref", "RegExMatch", "aa", "(a)(?:|){24}\\1", ""},
      {"sure-backref-search", "RegExSearchPosition", std::string(2000, 'a'), "(a)(?:|){20}\\1", ""},
      // The same before a back-reference whose group may be unset: 2^40 paths that never read the text.
      {"unset-backref", "RegExSearchPosition", "yy", "(x)?(?:|){40}\\1", ""},
      // A compile that builds 41,000 bracket tables of 256 bytes each.
      {"bracket-tables", "RegExMatch", "a", Repeat("[]", 41000), ""},
      // Assertions that cost many character tests each, over 1 and 4 MB. The texts hold the pattern's "x", or the
      // searches would skip every place: at each "x" a match of 1,000 boundary tests, before the "x" 1,000 a's
      // tried at every place.
      {"boundaries", "RegExSearchPosition", std::string(mb, 'x'), "(?:\\b|\\B){1000}x", ""},
      {"boundaries-4mb", "RegExSearchPosition", std::string(4 * mb, 'x'), "(?:\\b|\\B){1000}x", ""},
      {"line-starts", "RegExSearchPosition", as + "x", "(?:^|a){1000}x", ""},
      {"line-ends", "RegExSearchPosition", as + "x", "(?:$|a){1000}x", ""},
      // Compiling copies: a bracket's class list per repetition, nested counted repetitions.
      {"bracket-copies", "RegExMatch", "a", "[" + Repeat("[=a=]", 2000) + "]{40000}", ""},
      {"bracket-copies-5kb", "RegExMatch", "a", "[" + Repeat("[=a=]", 1000) + "]{10000}", ""},
      {"repeated-groups", "RegExMatch", "a", "(?:a{1000}){1000}", ""},
      {"nested-repeats", "RegExMatch", "a", "((((a{100}){100}){100}){100})", ""},
      // Lookahead tables: one per nesting level, each as large as the pattern.
      {"nested-lookaheads", "RegExSearchPosition", std::string(200 * 1024, 'a'),
       Repeat("(?=", 3000) + "a" + Repeat(")", 3000), ""},
      // Heavy but finite: exponential backtracking over a short text that ends in a match.
      {"finite-replace", "RegExReplace", "c 2 ccc22\na",
       "^(?:(?:[a-c1]+?|(?:b2+|a {2}2)*?(?:c{1,2}12|-){1,2})(?:\\.1+? +)\\.*|(?: |2+?(?:bb)))+?a+?c|(?: *?(?:\\n+|"
       "(?:2a{1,2}c{1,2})?[^a]*))+\\.",
       "$&"},
      {"finite-search", "RegExSearchPosition", std::string(21, 'a') + "c ab", "(a+)+b", ""},
      {"finite-match", "RegExMatch", std::string(22, 'a') + "c", "(?:(a+)+b|a*c)", ""},
  };
}

}  // namespace e2e::regex_cases
