#pragma once
// Shared by bench/native/regex_short.cpp and bench/wine/regex_short.cpp: the regex commands on short texts, a line
// at a time, as scripts call them. Per call, over 1,000 lines of about 50 bytes: the command (through the DLL under
// Wine), the bare std::regex work with the pattern compiled once, and the same compiled on every call; then a new
// pattern on every call, and first the memory that 20,000 distinct patterns in a row leave behind.
// Targets: a repeated pattern costs at most twice the bare compiled-once loop plus 2 us; a new pattern on every
// call at most half the bare compile-and-match loop; the flood of patterns at most 16 MB.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "bench/bare_walk.h"

namespace bench {

// The commands under test, called with the host's strings as they are; string results answer their length.
struct ShortCommands {
  std::function<int(const char*, const char*)> match;
  std::function<std::size_t(const char*, const char*)> search;
  std::function<std::size_t(const char*, const char*)> positions;
  std::function<std::size_t(const char*, const char*, const char*)> replace;
  // The process's memory in bytes, as the platform counts it.
  std::function<long long()> memory;
};

enum class Call { kMatch, kSearch, kPositions, kReplace };

// 1,000 lines of about 50 bytes made from a template whose "#" become numbers that change from line to line.
inline std::vector<std::string> Lines(const char* shape) {
  std::vector<std::string> lines;
  for (unsigned i = 0; i < 1000; ++i) {
    std::string line;
    unsigned n = i * 7919u + 17u;
    for (const char* c = shape; *c != '\0'; ++c) {
      if (*c != '#') {
        line += *c;
        continue;
      }
      line += std::to_string(n % 9973u);
      n = n * 31u + 7u;
    }
    lines.push_back(line);
  }
  return lines;
}

// The bare engine's work of each command on one line: the same walk, plain pointers, std::regex_traits.
inline std::size_t Bare(Call call, const std::string& line, const std::regex& re) {
  if (call == Call::kMatch) return std::regex_match(line, re) ? 1 : 0;
  if (call == Call::kReplace) return std::regex_replace(line, re, "#").size();
  std::string list = "[";
  BareWalk(line, re, [&](const std::cmatch& m) {
    if (call == Call::kPositions) {
      list += "{" + std::to_string(m[0].first - line.data()) + "," + std::to_string(m[0].length()) + "},";
    } else {
      for (const auto& group : m) list += "\"" + group.str() + "\",";
    }
  });
  return list.size();
}

inline std::size_t Command(const ShortCommands& commands, Call call, const std::string& line, const char* pattern) {
  switch (call) {
    case Call::kMatch:
      return static_cast<std::size_t>(commands.match(line.c_str(), pattern));
    case Call::kSearch:
      return commands.search(line.c_str(), pattern);
    case Call::kPositions:
      return commands.positions(line.c_str(), pattern);
    case Call::kReplace:
      return commands.replace(line.c_str(), pattern, "#");
  }
  return 0;
}

// Microseconds per line of the best of five rounds; the kinds of loop are interleaved so that each sees the same
// conditions on a busy machine.
inline std::vector<double> MicrosPerLine(const std::vector<std::function<std::size_t()>>& loops, std::size_t lines) {
  std::vector<double> best(loops.size(), 1e30);
  std::size_t sink = 0;
  for (int round = 0; round < 5; ++round)
    for (std::size_t i = 0; i < loops.size(); ++i) {
      const auto start = std::chrono::steady_clock::now();
      sink += loops[i]();
      const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
      best[i] = std::min(best[i], us / static_cast<double>(lines));
    }
  if (sink == 0) std::printf("(nothing found)\n");
  return best;
}

inline void RunShort(const char* where, const ShortCommands& commands) {
  struct Row {
    const char* name;
    Call call;
    const char* pattern;
    const char* shape;
  };
  const Row rows[] = {
      {"RegExMatch", Call::kMatch, "[A-Za-z]+ ([0-9]+)-([0-9]+)-([0-9]+) (\\S+) (?:ok|fail)",
       "shipment #-#-# anna.berg@example.com ok"},
      {"RegExSearch", Call::kSearch, "([a-z]+)=([0-9]+)", "width=# height=# depth=# color=# size=#"},
      {"RegExSearchPosition", Call::kPositions, "([a-z]+)=([0-9]+)", "width=# height=# depth=# color=# size=#"},
      {"RegExReplace", Call::kReplace, "[0-9]+", "Order # shipped on #-#-#, total #.#"},
      {"RegExSearch", Call::kSearch, "[\\w.+-]+@[\\w-]+\\.[\\w.-]+", "reply to support+#@mail.example.org, ticket #"},
  };
  const auto flags = std::regex::ECMAScript | std::regex::multiline;
  std::printf(
      "regex calls on short texts (%s): first a flood of patterns, then us per call over 1,000 lines of about 50 "
      "bytes, best of 5\n",
      where);
  // First, in a process that has compiled nothing yet: 20,000 distinct patterns in a row, and what the process
  // keeps of them (the cache filled to its bounds).
  const long long before = commands.memory();
  for (int i = 0; i < 20000; ++i) {
    const std::string pattern = "[a-z]+=([0-9]+)|flood" + std::to_string(i);
    commands.match("width=120", pattern.c_str());
  }
  const double grown = static_cast<double>(commands.memory() - before) / (1024.0 * 1024.0);
  std::printf("20,000 distinct patterns in a row: memory grew %.1f MB (target at most 16 MB: %s)\n", grown,
              grown <= 16 ? "met" : "MISSED");
  std::printf("%-20s %-28s %9s %10s %13s %9s %s\n", "call", "pattern", "command", "bare once", "bare compile", "target",
              "");
  for (const Row& row : rows) {
    const std::vector<std::string> lines = Lines(row.shape);
    const std::regex once(row.pattern, flags);
    const std::vector<double> us = MicrosPerLine({[&] {
                                                    std::size_t n = 0;
                                                    for (const std::string& line : lines)
                                                      n += Command(commands, row.call, line, row.pattern);
                                                    return n;
                                                  },
                                                  [&] {
                                                    std::size_t n = 0;
                                                    for (const std::string& line : lines)
                                                      n += Bare(row.call, line, once);
                                                    return n;
                                                  },
                                                  [&] {
                                                    std::size_t n = 0;
                                                    for (const std::string& line : lines)
                                                      n += Bare(row.call, line, std::regex(row.pattern, flags));
                                                    return n;
                                                  }},
                                                 lines.size());
    const double target = 2 * us[1] + 2;
    std::printf("%-20s %-28.28s %9.2f %10.2f %13.1f %9.2f %s\n", row.name, row.pattern, us[0], us[1], us[2], target,
                us[0] <= target ? "met" : "MISSED");
  }

  // What a call itself costs beyond the engine's work: the least work there is, a cached one-byte pattern.
  {
    const std::regex one("a", flags);
    const std::string a = "a";
    const std::vector<double> us = MicrosPerLine({[&] {
                                                    std::size_t n = 0;
                                                    for (int i = 0; i < 1000; ++i)
                                                      n += Command(commands, Call::kMatch, a, "a");
                                                    return n;
                                                  },
                                                  [&] {
                                                    std::size_t n = 0;
                                                    for (int i = 0; i < 1000; ++i) n += Bare(Call::kMatch, a, one);
                                                    return n;
                                                  }},
                                                 1000);
    std::printf("%-20s %-28s %9.2f %10.2f %13s %9s (the call's own cost: %.2f us; target about 1)\n", "RegExMatch",
                "\"a\" in \"a\"", us[0], us[1], "-", "-", us[0] - us[1]);
  }

  // A new pattern on every call: the search of the second row with an alternative that names the line.
  const std::vector<std::string> lines = Lines(rows[1].shape);
  std::vector<std::string> patterns;
  for (std::size_t i = 0; i < lines.size(); ++i) patterns.push_back("([a-z]+)=([0-9]+)|q" + std::to_string(i));
  int round = 0;  // each round its own patterns, so that none is met twice
  const std::vector<double> fresh =
      MicrosPerLine({[&] {
                       std::size_t n = 0;
                       ++round;
                       for (std::size_t i = 0; i < lines.size(); ++i) {
                         const std::string pattern = patterns[i] + "r" + std::to_string(round);
                         n += Command(commands, Call::kSearch, lines[i], pattern.c_str());
                       }
                       return n;
                     },
                     [&] {
                       std::size_t n = 0;
                       for (std::size_t i = 0; i < lines.size(); ++i)
                         n += Bare(Call::kSearch, lines[i], std::regex(patterns[i] + "r", flags));
                       return n;
                     }},
                    lines.size());
  std::printf("%-20s %-28s %9.2f %10s %13.1f %9.2f %s\n", "RegExSearch", "a new pattern every call", fresh[0], "-",
              fresh[1], fresh[1] / 2, fresh[0] <= fresh[1] / 2 ? "met" : "MISSED");
}

}  // namespace bench
