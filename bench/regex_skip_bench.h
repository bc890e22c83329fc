#pragma once
// Shared by bench/native/regex_walks.cpp and bench/wine/regex_walks.cpp: selective patterns over 1 MB of prose
// with few matches, where the commands skip the places where no match can start, against the bare std::regex
// walk of the same engine (which tries every place), the guarded walk without skipping, and, natively, PCRE2.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>

#include "bench/regex_bench.h"

namespace bench {

// English-like lines of lower-case words, each line capitalised. No digits and no "@" outside the rare lines: an
// error line with a number, a comment line starting with "#" and a line about miles, each every 16 KB or so.
inline std::string Prose(std::size_t size) {
  static const char* const words[] = {
      "the",   "of",     "and",   "to",    "in",      "is",    "was",   "that",   "for",   "on",    "with",  "as",
      "by",    "at",     "from",  "they",  "which",   "one",   "had",   "words",  "but",   "not",   "what",  "all",
      "were",  "when",   "there", "can",   "an",      "your",  "each",  "said",   "use",   "how",   "their", "will",
      "other", "about",  "many",  "then",  "them",    "these", "so",    "some",   "her",   "would", "make",  "like",
      "into",  "time",   "has",   "look",  "two",     "more",  "write", "go",     "see",   "way",   "could", "people",
      "smile", "smiles", "mile",  "hexes", "example", "every", "long",  "little", "while", "river", "north", "xylem"};
  std::string text;
  std::uint32_t state = 12345;
  auto next = [&](std::uint32_t n) {
    state = state * 1103515245u + 12345u;
    return (state >> 16) % n;
  };
  std::size_t since_special = 0;
  int special = 0;
  while (text.size() < size) {
    if (since_special > 16 * 1024) {
      since_special = 0;
      static const char* const lines[] = {"ERROR 4711 while reading the file, giving up\n",
                                          "# settings below were written by hand\n",
                                          "they walked twelve miles north along the river\n"};
      text += lines[special++ % 3];
      continue;
    }
    std::string line;
    const std::uint32_t count = 6 + next(9);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::string word = words[next(sizeof words / sizeof *words)];
      if (i == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
      line += word;
      line += i + 1 == count ? (next(4) == 0 ? ".\n" : "\n") : (next(8) == 0 ? ", " : " ");
    }
    since_special += line.size();
    text += line;
  }
  text.resize(size);
  return text;
}

// Another engine's search walk over the same text, or nothing; gives the length of its position list.
using OtherEngine = std::function<std::size_t(const std::string& text, const char* pattern)>;

inline void RunSelective(const char* where, const Commands& commands, const OtherEngine& pcre2) {
  std::printf("\nselective patterns (%s), 1 MB of prose with few matches: best seconds, ratio to bare\n", where);
  std::printf("%-28s %8s %16s %16s %16s %22s%s\n", "pattern", "bare", "no skipping", "RegExSearchPos", "RegExSearch",
              "RegExReplace", pcre2 ? "            PCRE2" : "");
  // Each "(?i)" row follows its case-sensitive twin; its bare walk is the engine's own icase.
  const char* patterns[] = {"ERROR ([0-9]+)",
                            "(?i)ERROR ([0-9]+)",
                            "[0-9]+",
                            "[\\w.+-]+@[\\w-]+\\.[\\w.-]+",
                            "\\bmiles\\b",
                            "(?i)\\bmiles\\b",
                            "^#",
                            "[a-z]+",
                            "(?i)[a-z]+",
                            "x*"};
  const std::string text = Prose(1 << 20);
  for (const char* pattern : patterns) {
    const hostkit::regex::FlaggedPattern flagged = hostkit::regex::ReadFlags(pattern);
    const std::regex bare_re(flagged.body, std::regex::ECMAScript | std::regex::multiline |
                                               (flagged.flags.icase ? std::regex::icase : std::regex::flag_type{}));
    const hostkit::regex::Regex dialect_re = hostkit::regex::Compile(flagged.body, flagged.flags);
    std::size_t sink = 0;
    const std::function<void()> runs[] = {
        [&] { sink += BarePositions(text, bare_re); },
        [&] { sink += GuardedPositions(text, dialect_re); },
        [&] { sink += commands.positions(text, pattern).size(); },
        [&] { sink += commands.search(text, pattern).size(); },
        [&] { sink += commands.replace(text, pattern, "<$&>").size(); },
        [&] { sink += std::regex_replace(text, bare_re, std::string("<$&>")).size(); },
        [&] { sink += pcre2 ? pcre2(text, pattern) : 0; }};
    constexpr int kRuns = sizeof runs / sizeof *runs;
    double best[kRuns];
    std::fill(best, best + kRuns, 1e30);
    // Interleaved, so that each kind sees the same conditions on a busy machine; runs of a few milliseconds are
    // repeated in a row as well, since one of them alone mostly measures the caches the run before left cold.
    for (int round = 0; round < 3; ++round)
      for (int i = 0; i < kRuns; ++i) best[i] = std::min(best[i], Seconds(runs[i], best[i] < 0.02 ? 8 : 1));
    std::printf("%-28s %8.4f", pattern, best[0]);
    for (int i = 1; i < 4; ++i) std::printf(" %7.4f (%5.3fx)", best[i], best[i] / best[0]);
    std::printf(" %7.4f (%5.3fx of %.4f)", best[4], best[4] / best[5], best[5]);
    if (pcre2) std::printf(" %7.4f (%5.3fx)", best[6], best[6] / best[0]);
    std::printf("\n");
    if (sink == 0) std::printf("nothing found\n");
  }
}

}  // namespace bench
