#include "regex/guard.h"

#include <algorithm>
#include <limits>

namespace hostkit::regex {
namespace {

// Stack the matcher may use between two touches of the text, per state of the compiled pattern: chains of
// alternatives and groups recurse without touching it. Measured: 128 bytes cover a matcher frame on i686.
constexpr std::size_t kBytesPerState = 32 * sizeof(void*);

constexpr std::size_t kMaxSize = std::numeric_limits<std::size_t>::max();

std::size_t SaturatingAdd(std::size_t a, std::size_t b) noexcept { return b > kMaxSize - a ? kMaxSize : a + b; }

std::size_t SaturatingMul(std::size_t a, std::size_t b) noexcept {
  return a != 0 && b > kMaxSize / a ? kMaxSize : a * b;
}

}  // namespace

void Guard::Fail() {
  // The countdown wrapped when the budget ran out.
  if (touches_left_ == std::numeric_limits<std::size_t>::max()) {
    touches_left_ = 0;
    Fail(Trip::kBudget);
  }
  ++touches_left_;  // the stack tripped: give back the touch not taken
  Fail(Trip::kStack);
}

void Guard::Fail(Trip why) {
  tripped_ = why;
  throw std::regex_error(why == Trip::kBudget ? std::regex_constants::error_complexity
                                              : std::regex_constants::error_stack);
}

void Guard::RequireRoom(std::size_t bytes) {
  const std::uintptr_t sp = StackPointer();
  if (sp < floor_ || sp - floor_ < bytes) Fail(Trip::kStack);
}

void Guard::Adopt(std::size_t states, std::size_t weight) {
  const std::size_t raise = SaturatingMul(states, kBytesPerState);
  floor_ = raise > std::numeric_limits<std::uintptr_t>::max() - floor_ ? std::numeric_limits<std::uintptr_t>::max()
                                                                     : floor_ + raise;
  const std::size_t cost = std::clamp<std::size_t>(weight, 1, budget_ + 1);
  touches_left_ = touches_left_ * touch_cost_ / cost;  // nothing is spent before a pattern is adopted
  touch_cost_ = cost;
  call_charge_ = states > 0 ? states : 1;
  if (StackPointer() < floor_) Fail(Trip::kStack);
}

// The fuzzer builds with a smaller base so that runaway inputs end quickly under its sanitizers.
#ifndef HOSTKIT_REGEX_BASE_STEPS
#define HOSTKIT_REGEX_BASE_STEPS 10'000'000
#endif

std::size_t StepBudget(std::size_t text_length) noexcept {
  // Kept at most half the counter's range, so that budget + 1 stays representable.
  return std::min(SaturatingAdd(HOSTKIT_REGEX_BASE_STEPS, SaturatingMul(256, text_length)), kMaxSize / 2);
}

}  // namespace hostkit::regex
