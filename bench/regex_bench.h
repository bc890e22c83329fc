#pragma once
// Shared by bench/native/regex_walks.cpp and bench/wine/regex_walks.cpp: the regex commands against a bare
// std::regex loop over the same text with the same engine, at 1 MB and 10 MB, with a guard-only loop that shows
// what the guarded iterator and traits alone cost, and an account-only loop (the bare loop with a memory account
// active) that shows what the account of operator new and delete alone costs.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <regex>
#include <string>

#include "bench/bare_walk.h"
#include "regex/bounds/account.h"
#include "regex/bounds/guard.h"
#include "regex/engine/dialect.h"

namespace bench {

// Prose with numbers and addresses, as a script might search it.
inline std::string Text(std::size_t size) {
  static const char* const lines[] = {"Order 10442 shipped to anna.berg@example.com on 2024-03-18, total 129.90\n",
                                      "lorem ipsum dolor sit amet, consectetur adipiscing elit; call 555 0199 now\n",
                                      "reply to support+billing@mail.example.org about ticket 88123\n",
                                      "nothing to see on this line at all, just words and more words here\n"};
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) text += lines[i % 4];
  text.resize(size);
  return text;
}

inline double Seconds(const std::function<void()>& run, int repeats) {
  double best = 1e30;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// The search walk of the commands with plain pointers: what std::regex costs with nothing around it.
inline std::size_t BarePositions(const std::string& text, const std::regex& re) {
  std::string list = "[";
  BareWalk(text, re, [&](const std::cmatch& m) {
    list += "{" + std::to_string(m[0].first - text.data()) + "," + std::to_string(m[0].second - m[0].first) + "},";
  });
  return list.size();
}

// The bare loop with a memory account active on the thread, limited to the whole address space.
inline std::size_t AccountedPositions(const std::string& text, const std::regex& re) {
  hostkit::regex::MemoryAccount account(SIZE_MAX);
  hostkit::regex::AccountScope scope(account);
  return BarePositions(text, re);
}

// The same walk through the guarded iterator, traits and allocator, with an unlimited budget.
inline std::size_t GuardedPositions(const std::string& text, const hostkit::regex::Regex& re) {
  using namespace hostkit::regex;
  Budget budget{INT64_MAX / 4, Clock::now() + std::chrono::hours(1)};
  Guard guard(0, budget);
  const Shape shape = Measure(re);
  guard.Adopt(shape.states, shape.weight);
  std::string list = "[";
  const char* const end = text.data() + text.size();
  GuardedMatch m{GuardAlloc<std::sub_match<GuardedIter>>(&guard)};
  for (const char* from = text.data();;) {
    if (!std::regex_search(GuardedIter(from, &guard), GuardedIter(end, &guard), m, re)) break;
    const char* first = m[0].first.base();
    const char* last = m[0].second.base();
    list += "{" + std::to_string(first - text.data()) + "," + std::to_string(last - first) + "},";
    if (last != first)
      from = last;
    else if (last == end)
      break;
    else
      from = last + 1;
  }
  return list.size();
}

// The commands under test, native or through the DLL.
struct Commands {
  std::function<std::string(const std::string&, const char*)> search;
  std::function<std::string(const std::string&, const char*)> positions;
  std::function<std::string(const std::string&, const char*, const char*)> replace;
};

inline void Run(const char* where, const Commands& commands) {
  std::printf("regex walks (%s): seconds (best of 5) and ratio to the bare std::regex loop\n", where);
  std::printf("%-8s %-10s %9s %18s %18s %18s %18s %18s\n", "text", "pattern", "bare", "guard only", "account only",
              "RegExSearch", "RegExSearchPos", "RegExReplace");
  const char* patterns[][2] = {{"digits", "[0-9]+"}, {"e-mail", "[\\w.+-]+@[\\w-]+\\.[\\w.-]+"}};
  double at1[2][6] = {};
  for (const std::size_t mb : {1, 10}) {
    const std::string text = Text(mb << 20);
    for (int p = 0; p < 2; ++p) {
      const char* pattern = patterns[p][1];
      const std::regex bare_re(pattern, std::regex::ECMAScript | std::regex::multiline);
      const hostkit::regex::Regex dialect_re = hostkit::regex::Compile(pattern);
      std::size_t sink = 0;
      // Interleaved and the best of five: the machine may be busy, and each kind sees the same conditions.
      const std::function<void()> runs[] = {
          [&] { sink += BarePositions(text, bare_re); },
          [&] { sink += GuardedPositions(text, dialect_re); },
          [&] { sink += AccountedPositions(text, bare_re); },
          [&] { sink += commands.search(text, pattern).size(); },
          [&] { sink += commands.positions(text, pattern).size(); },
          [&] { sink += commands.replace(text, pattern, "<$&>").size(); },
          [&] { sink += std::regex_replace(text, bare_re, std::string("<$&>")).size(); }};
      double best[7];
      std::fill(best, best + 7, 1e30);
      for (int round = 0; round < 5; ++round)
        for (int i = 0; i < 7; ++i) best[i] = std::min(best[i], Seconds(runs[i], 1));
      double* t = best;
      const double bare_replace = best[6];
      std::printf("%2zu MB    %-10s %9.3f", mb, patterns[p][0], t[0]);
      for (int i = 1; i < 5; ++i) std::printf(" %9.3f (%5.2fx)", t[i], t[i] / t[0]);
      std::printf(" %9.3f (%5.2fx vs regex_replace %.3f)\n", t[5], t[5] / bare_replace, bare_replace);
      if (mb == 1)
        std::copy(t, t + 6, at1[p]);
      else {
        std::printf("         10 MB / 1 MB:");
        for (int i = 0; i < 6; ++i) std::printf(" %.1f", t[i] / at1[p][i]);
        std::printf("\n");
      }
      if (sink == 0) std::printf("nothing found\n");
    }
  }
}

}  // namespace bench
