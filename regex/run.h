#pragma once
// Runs a regex job under a fresh guard: on the calling thread while its stack has room, else once more on a
// thread with a large stack. A thread start costs about 1 ms under Wine, so only the long cases pay for it.
#include <cstddef>
#include <optional>
#include <type_traits>

#include "regex/guard.h"
#include "regex/stack.h"

namespace hostkit::regex {

// Stack kept free below the floor for the throw that unwinds the matcher, allocations and system calls.
inline constexpr std::size_t kStackMargin = 64 * 1024;

namespace detail {

enum class Outcome { kDone, kFailed, kNeedsStack };

template <class Job, class Result>
Outcome Attempt(Job& job, std::size_t budget, std::optional<Result>& result) noexcept {
  Guard guard(StackLowEnd() + kStackMargin, budget);
  try {
    result.emplace(job(guard));
    return Outcome::kDone;
  } catch (...) {
    return guard.tripped() == Trip::kStack ? Outcome::kNeedsStack : Outcome::kFailed;
  }
}

}  // namespace detail

// The job's result, or nothing when it failed: the pattern was rejected, the budget ran out, the stack ran short
// even on the large thread, or memory ran out.
template <class Job>
auto RunGuarded(std::size_t text_length, Job job) noexcept -> std::optional<std::invoke_result_t<Job&, Guard&>> {
  using Result = std::invoke_result_t<Job&, Guard&>;
  std::optional<Result> result;
  const std::size_t budget = StepBudget(text_length);
  if (detail::Attempt(job, budget, result) != detail::Outcome::kNeedsStack) return result;

  result.reset();
  struct Context {
    Job* job;
    std::size_t budget;
    std::optional<Result>* result;
  } context{&job, budget, &result};
  RunOnLargeStack(
      [](void* raw) noexcept {
        auto* c = static_cast<Context*>(raw);
        if (detail::Attempt(*c->job, c->budget, *c->result) != detail::Outcome::kDone) c->result->reset();
      },
      &context);
  return result;
}

}  // namespace hostkit::regex
