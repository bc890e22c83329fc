#pragma once
// Runs a regex job within the command's bounds: on the calling thread while its stack has room, else once more
// on a thread with a large stack. The second attempt carries on with the time the first one left (the budget
// and the deadline are the command's), under the same memory account. A thread start costs about 1 ms under
// Wine, so only the long cases pay for it.
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <regex>
#include <type_traits>

#include "regex/account.h"
#include "regex/bounds.h"
#include "regex/guard.h"
#include "regex/stack.h"

namespace hostkit::regex {

// Why a job gave no result.
struct Failure {
  enum class Kind { kNone, kRejected, kTime, kMemory, kStack, kInternal };
  Kind kind = Kind::kNone;
  std::regex_constants::error_type code{};  // kRejected: the engine's error
};

struct Limits {
  std::size_t text_bytes = 0;      // the text searched: the time bound grows with it
  std::size_t argument_bytes = 0;  // every argument: the memory bound grows with them
};

// Bytes a command may raise the process's committed memory by.
inline std::size_t MemoryBound(std::size_t argument_bytes) noexcept {
  const std::size_t most = static_cast<std::size_t>(-1);
  const std::size_t scaled = argument_bytes > (most - bounds::kBaseBytes) / bounds::kBytesPerArgumentByte
                                 ? most - bounds::kBaseBytes
                                 : argument_bytes * bounds::kBytesPerArgumentByte;
  return bounds::kBaseBytes + scaled;
}

namespace detail {

enum class Outcome { kDone, kFailed, kNeedsStack };

template <class Job, class Result>
Outcome Attempt(Job& job, Budget& budget, MemoryAccount& account, std::optional<Result>& result,
                Failure& failure) noexcept {
  AccountScope scope(account);
  Guard guard(StackLowEnd() + bounds::kStackMargin, budget);
  try {
    result.emplace(job(guard));
    failure = {};
    return Outcome::kDone;
  } catch (const std::regex_error& e) {
    // The guard throws regex_error too: its trip tells it apart from the engine's own errors.
    if (guard.tripped() == Trip::kStack) {
      failure.kind = Failure::Kind::kStack;
      return Outcome::kNeedsStack;
    }
    if (guard.tripped() == Trip::kTime)
      failure.kind = Failure::Kind::kTime;
    else if (account.refused())
      failure.kind = Failure::Kind::kMemory;
    else
      failure = {Failure::Kind::kRejected, e.code()};
  } catch (const std::bad_alloc&) {
    failure.kind = Failure::Kind::kMemory;
  } catch (...) {
    failure.kind = account.refused() ? Failure::Kind::kMemory : Failure::Kind::kInternal;
  }
  return Outcome::kFailed;
}

}  // namespace detail

// The job's result, or nothing when it failed, with the reason in failure.
template <class Job>
auto RunGuarded(Limits limits, Failure& failure, Job job) noexcept
    -> std::optional<std::invoke_result_t<Job&, Guard&>> {
  using Result = std::invoke_result_t<Job&, Guard&>;
  std::optional<Result> result;
  failure = {};
  // The worker's stack counts whole (Wine commits it at the thread's start); the heap gets a share of the rest.
  const std::size_t bound = MemoryBound(limits.argument_bytes);
  const std::size_t worker_stack = LargeStackBytes(bound / 2);
  const std::size_t stack_share = worker_stack / kStackScale < bound ? worker_stack / kStackScale : bound;
  MemoryAccount account((bound - stack_share) / bounds::kHeapShareDivisor);
  Budget budget = TimeBudget(limits.text_bytes);
  if (detail::Attempt(job, budget, account, result, failure) != detail::Outcome::kNeedsStack) return result;

  result.reset();
  struct Context {
    Job* job;
    Budget* budget;
    MemoryAccount* account;
    std::optional<Result>* result;
    Failure* failure;
  } context{&job, &budget, &account, &result, &failure};
  const bool ran = RunOnLargeStack(
      worker_stack,
      [](void* raw) noexcept {
        auto* c = static_cast<Context*>(raw);
        if (detail::Attempt(*c->job, *c->budget, *c->account, *c->result, *c->failure) != detail::Outcome::kDone)
          c->result->reset();
      },
      &context);
  if (!ran) failure.kind = Failure::Kind::kStack;
  return result;
}

}  // namespace hostkit::regex
