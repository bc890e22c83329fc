#pragma once
// Runs a regex job within the command's bounds: on the calling thread while its stack has room, else once more
// on a thread with a large stack. The second attempt carries on with the time the first one left (the budget
// and the deadline are the command's), under the same memory account, which still holds the stack the first
// attempt touched. A thread start costs about 1 ms under Wine, so only the long cases pay for it.
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <regex>
#include <string>
#include <type_traits>

#include "regex/bounds/account.h"
#include "regex/bounds/bounds.h"
#include "regex/bounds/guard.h"
#include "regex/bounds/stack.h"

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

// Bytes a command may raise the process's memory by: heap blocks held and stack pages touched, at their peak.
inline std::size_t MemoryBound(std::size_t argument_bytes) noexcept {
  const std::size_t most = static_cast<std::size_t>(-1);
  const std::size_t scaled = argument_bytes > (most - bounds::kBaseBytes) / bounds::kBytesPerArgumentByte
                                 ? most - bounds::kBaseBytes
                                 : argument_bytes * bounds::kBytesPerArgumentByte;
  return bounds::kBaseBytes + scaled;
}

// What the host's copy of a result costs: the host copies a text answer into a buffer of its own.
inline std::size_t HostCopyBytes(const std::string& text) noexcept { return text.size() + 1; }
template <class Other>
std::size_t HostCopyBytes(const Other&) noexcept {
  return 0;
}

namespace detail {

enum class Outcome { kDone, kFailed, kNeedsStack };

// Why an attempt failed. The first trip wins: the guard's (time, stack, or memory for the stack), then the
// account's refusal, then what was thrown. A trip allocates nothing as it unwinds, so that nothing after it
// can be refused in its stead.
inline Failure Classify(Trip trip, bool refused, const std::regex_error* engine, bool out_of_memory) noexcept {
  switch (trip) {
    case Trip::kTime:
      return {Failure::Kind::kTime, {}};
    case Trip::kStack:
      return {Failure::Kind::kStack, {}};
    case Trip::kMemory:
      return {Failure::Kind::kMemory, {}};
    case Trip::kNone:
      break;
  }
  if (refused || out_of_memory) return {Failure::Kind::kMemory, {}};
  if (engine != nullptr) return {Failure::Kind::kRejected, engine->code()};
  return {Failure::Kind::kInternal, {}};
}

template <class Job, class Result>
Outcome Attempt(Job& job, Budget& budget, MemoryAccount& account, std::optional<Result>& result,
                Failure& failure) noexcept {
  AccountScope scope(account);
  Guard guard(StackLowEnd() + bounds::kStackMargin, budget);
  try {
    if (!CatchTrips(guard, [&] { result.emplace(job(guard)); })) {
      failure = Classify(guard.tripped(), account.refused(), nullptr, false);
      return failure.kind == Failure::Kind::kStack ? Outcome::kNeedsStack : Outcome::kFailed;
    }
    if (!account.Fits(HostCopyBytes(*result))) {
      result.reset();
      failure = {Failure::Kind::kMemory, {}};
      return Outcome::kFailed;
    }
    failure = {};
    return Outcome::kDone;
  } catch (const std::regex_error& e) {
    failure = Classify(guard.tripped(), account.refused(), &e, false);
  } catch (const std::bad_alloc&) {
    failure = Classify(guard.tripped(), account.refused(), nullptr, true);
  } catch (...) {
    failure = Classify(guard.tripped(), account.refused(), nullptr, false);
  }
  return failure.kind == Failure::Kind::kStack ? Outcome::kNeedsStack : Outcome::kFailed;
}

}  // namespace detail

// The job's result, or nothing when it failed, with the reason in failure.
template <class Job>
auto RunGuarded(Limits limits, Failure& failure, Job job) noexcept
    -> std::optional<std::invoke_result_t<Job&, Guard&>> {
  using Result = std::invoke_result_t<Job&, Guard&>;
  std::optional<Result> result;
  failure = {};
  // Heap and stack share the bound, less what the heap keeps beyond the blocks held (regex/bounds/bounds.h). The
  // worker's stack is reserved as large as the bound: address space, of which only the pages touched count.
  const std::size_t bound = MemoryBound(limits.argument_bytes);
  MemoryAccount account(bound > bounds::kHeapKeeps ? bound - bounds::kHeapKeeps : 0);
  const std::size_t worker_stack = LargeStackBytes(bound);
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
