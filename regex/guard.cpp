#include "regex/guard.h"

#include <algorithm>
#include <limits>

#include "regex/bounds.h"

namespace hostkit::regex {
namespace {

constexpr std::int64_t kMaxSteps = std::numeric_limits<std::int64_t>::max() / 4;
// Past this weight a pattern's silent work between two touches (up to 8 calls a unit of weight, about 20M calls
// here, 0.1 s) is too long to go without a look at the clock: such a pattern fails at its first touch. It also
// keeps left_ - touch_cost_ from wrapping the 32-bit countdown.
constexpr std::size_t kMaxWeight = (std::size_t{1} << 24) / bounds::kTouchCost;

// The guard of the command running on this thread (the host's thread or the large-stack worker).
thread_local Guard* current = nullptr;

std::size_t SaturatingMul(std::size_t a, std::size_t b) noexcept {
  return a != 0 && b > std::numeric_limits<std::size_t>::max() / a ? std::numeric_limits<std::size_t>::max() : a * b;
}

// The fuzzer builds with a smaller base so that runaway inputs end quickly under its sanitizers.
#ifndef HOSTKIT_REGEX_BASE_STEPS
#define HOSTKIT_REGEX_BASE_STEPS 0
#endif
constexpr std::int64_t kBaseSteps = HOSTKIT_REGEX_BASE_STEPS;

}  // namespace

Budget TimeBudget(std::size_t text_length) noexcept {
  const double megabytes = static_cast<double>(text_length) / static_cast<double>(bounds::kMiB);
  double seconds = bounds::kBaseSeconds + bounds::kSecondsPerMegabyte * megabytes;
  if (kBaseSteps > 0) seconds *= static_cast<double>(kBaseSteps) / static_cast<double>(bounds::kStepsPerSecond);
  const double steps = seconds * static_cast<double>(bounds::kStepsPerSecond);
  Budget budget;
  budget.steps = steps >= static_cast<double>(kMaxSteps) ? kMaxSteps : static_cast<std::int64_t>(steps);
  budget.deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                       std::chrono::duration<double>(seconds * bounds::kClockShare));
  return budget;
}

Guard::Guard(std::uintptr_t floor, Budget& budget) noexcept
    : touch_cost_(static_cast<std::int32_t>(bounds::kTouchCost)),
      floor_(floor),
      budget_(budget),
      start_(budget.steps),
      call_charge_(bounds::kPerStateCost),
      previous_(current) {
  current = this;
}

Guard::~Guard() {
  budget_.steps += left_;
  current = previous_;
}

void Guard::ChargeCurrent(std::int64_t steps) {
  if (current != nullptr) current->Charge(steps);
}

void Guard::Slow() {
  if (StackPointer() < floor_) {
    left_ += touch_cost_;  // give back the touch not taken
    Fail(Trip::kStack);
  }
  Spend(0);
}

void Guard::Spend(std::int64_t steps) {
  // What is left in all: the budget not handed out, plus the chunk's rest (negative once the chunk is overdrawn).
  const std::int64_t rest = budget_.steps + left_ - std::min(steps, kMaxSteps);
  left_ = 0;
  budget_.steps = rest;
  if (rest < 0 || doomed_ || Clock::now() >= budget_.deadline) {
    budget_.steps = 0;
    Fail(Trip::kTime);
  }
  if (StackPointer() < floor_) Fail(Trip::kStack);
  left_ = static_cast<std::int32_t>(std::min<std::int64_t>(bounds::kStepsPerClockRead, rest));
  budget_.steps -= left_;
}

void Guard::Fail(Trip why) {
  tripped_ = why;
  throw std::regex_error(why == Trip::kTime ? std::regex_constants::error_complexity
                                            : std::regex_constants::error_stack);
}

void Guard::RequireRoom(std::size_t bytes) {
  const std::uintptr_t sp = StackPointer();
  if (sp < floor_ || sp - floor_ < bytes) Fail(Trip::kStack);
}

void Guard::Adopt(std::size_t states, std::size_t weight) {
  const std::size_t raise = SaturatingMul(states, bounds::kBytesPerState);
  floor_ = raise > std::numeric_limits<std::uintptr_t>::max() - floor_ ? std::numeric_limits<std::uintptr_t>::max()
                                                                       : floor_ + raise;
  touch_cost_ = static_cast<std::int32_t>(std::clamp<std::size_t>(weight, 1, kMaxWeight) * bounds::kTouchCost);
  if (weight > kMaxWeight) {
    doomed_ = true;  // the next touch takes the slow path, which fails
    budget_.steps += left_;
    left_ = 0;
  }
  const std::size_t per_call = SaturatingMul(std::max<std::size_t>(states, 1), bounds::kPerStateCost);
  call_charge_ = static_cast<std::int64_t>(std::min<std::size_t>(per_call, static_cast<std::size_t>(kMaxSteps)));
  if (StackPointer() < floor_) Fail(Trip::kStack);
}

}  // namespace hostkit::regex
