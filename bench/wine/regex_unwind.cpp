// What a match that fails deep costs after its trip: the throw unwinds every matcher frame it stacked. Each row
// runs one guarded match on a large stack, as the commands do, until the memory account or the clock stops it
// deep: the depth the guard had charged, the time to the trip, the unwinding after it, and the total against the
// time the clock allowed. Three ways: "1.1.0", a throw with the unwinding not counted ahead; "thrown", a throw with
// the clock counting it ahead; "one pass", the guard as built (counted ahead, and the trip lands through
// CatchTrips: one pass over the frames instead of a throw's two).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "regex/bounds/account.h"
#include "regex/bounds/bounds.h"
#include "regex/bounds/guard.h"
#include "regex/bounds/stack.h"
#include "regex/pattern.h"

namespace {

using hostkit::regex::Clock;
namespace regex = hostkit::regex;

struct Row {
  const char* pattern;
  std::size_t text_bytes;
  std::size_t memory_bytes;  // the account's bound: a memory trip at about this depth
  double seconds;            // the clock's allowance: a time trip when the match is not that deep by then
};

struct Figures {
  std::size_t depth = 0;
  double trip = 0, unwinding = 0, total = 0;
  const char* reason = "none";
};

enum class Way { kUncounted, kThrown, kOnePass };

const char* Name(Way way) {
  switch (way) {
    case Way::kUncounted:
      return "1.1.0";
    case Way::kThrown:
      return "thrown";
    default:
      return "one pass";
  }
}

struct Job {
  const Row* row;
  Way way;
  std::string text;
  Figures figures;
};

const char* Reason(regex::Trip trip) {
  switch (trip) {
    case regex::Trip::kTime:
      return "time";
    case regex::Trip::kMemory:
      return "memory";
    case regex::Trip::kStack:
      return "stack";
    default:
      return "none";
  }
}

void RunJob(void* raw) noexcept {
  auto& job = *static_cast<Job*>(raw);
  regex::MemoryAccount account(job.row->memory_bytes);
  regex::AccountScope scope(account);
  regex::Budget budget;
  budget.steps = INT64_MAX / 4;
  const auto start = Clock::now();
  budget.deadline =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(job.row->seconds));
  if (job.way == Way::kUncounted) budget.unwind_seconds_per_byte = 0;
  regex::Guard guard(regex::StackLowEnd() + regex::bounds::kStackMargin, budget);
  const auto match = [&] {
    const auto compiled = regex::CompilePattern(job.row->pattern, guard);
    guard.Adopt(compiled->shape.states, compiled->shape.weight);
    regex::GuardedMatch m{regex::GuardAlloc<std::sub_match<regex::GuardedIter>>(&guard)};
    const char* const end = job.text.data() + job.text.size();
    std::regex_match(regex::GuardedIter(job.text.data(), &guard), regex::GuardedIter(end, &guard), m, compiled->regex);
  };
  try {
    if (job.way == Way::kOnePass)
      regex::CatchTrips(guard, match);
    else
      match();
  } catch (...) {
  }
  const auto done = Clock::now();
  auto seconds = [](Clock::duration d) { return std::chrono::duration<double>(d).count(); };
  job.figures.depth = guard.depth();
  job.figures.reason = Reason(guard.tripped());
  job.figures.total = seconds(done - start);
  if (guard.tripped() != regex::Trip::kNone) {
    job.figures.trip = seconds(guard.tripped_at() - start);
    job.figures.unwinding = seconds(done - guard.tripped_at());
  }
}

}  // namespace

int main() {
  constexpr std::size_t kMiB = regex::bounds::kMiB;
  // Memory trips at 16 to 128 MB of stack (the unwinding per byte), then the clock's trips while the match goes down.
  const Row rows[] = {
      {".*", 1'000'000, 16 * kMiB, 10},    {".*", 1'000'000, 64 * kMiB, 10},    {".*", 1'000'000, 128 * kMiB, 10},
      {"(a|b)*", 400'000, 16 * kMiB, 10},  {"(a|b)*", 400'000, 64 * kMiB, 10},  {"(a|b)*", 400'000, 128 * kMiB, 10},
      {".*", 1'000'000, 250 * kMiB, 0.02}, {".*", 1'000'000, 250 * kMiB, 0.05}, {"(a|b)*", 400'000, 250 * kMiB, 0.03},
  };
  std::printf("unwinding counted at %.3f us per KiB of stack\n", regex::bounds::kUnwindSecondsPerStackByte * 1024e6);
  std::printf("%-8s %5s %6s %6s %-11s %-6s %7s %7s %9s %7s %9s\n", "pattern", "text", "memory", "clock", "way", "trip",
              "depth", "to trip", "unwinding", "total", "us/KiB");
  for (const Row& row : rows)
    for (const Way way : {Way::kUncounted, Way::kThrown, Way::kOnePass}) {
      Job job{&row, way, std::string(row.text_bytes, 'a'), {}};
      if (!regex::RunOnLargeStack(regex::bounds::kLargestStack, &RunJob, &job)) return 1;
      const Figures& f = job.figures;
      std::printf("%-8s %4zuk %4zuMB %5.2fs %-11s %-6s %5.1fMB %6.3fs %8.3fs %6.3fs %9.3f\n", row.pattern,
                  row.text_bytes / 1000, row.memory_bytes / kMiB, row.seconds, Name(way), f.reason,
                  static_cast<double>(f.depth) / kMiB, f.trip, f.unwinding, f.total,
                  f.depth > 0 ? f.unwinding * 1e6 / (static_cast<double>(f.depth) / 1024) : 0.0);
      std::fflush(stdout);
    }
}
