#include "regex/bounds/guard.h"

#include <unwind.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <limits>

#include "regex/bounds/bounds.h"

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

// The exceptions a trip throws, built when the module loads: a regex_error allocates its message, and near the
// memory bound that allocation would be refused and turn a trip of time or stack into one of memory. A copy
// shares the message, so throwing one allocates nothing through the account.
const std::regex_error kTimeTrip(std::regex_constants::error_complexity);
const std::regex_error kStackTrip(std::regex_constants::error_stack);
const std::regex_error kMemoryTrip(std::regex_constants::error_space);

std::uintptr_t Lower(std::uintptr_t at, std::size_t by) noexcept { return at > by ? at - by : 0; }

}  // namespace

// The jump back into CatchTrips, the stack address that every frame of its job lies below, and the exception
// object the unwinder carries (none of the job's code can catch it: it is no C++ exception).
struct TripLanding {
  std::jmp_buf jump;
  std::uintptr_t job_below;
  TripLanding* outer;  // the landing of an enclosing CatchTrips of the same guard
  _Unwind_Exception exception;
};

namespace {

// Called for each frame before its clean-ups run: the first frame that is not the job's is CatchTrips' own.
_Unwind_Reason_Code StopAtLanding(int, _Unwind_Action actions, _Unwind_Exception_Class, _Unwind_Exception*,
                                  _Unwind_Context* frame, void* raw) {
  auto* landing = static_cast<TripLanding*>(raw);
  if ((actions & _UA_END_OF_STACK) != 0 || _Unwind_GetCFA(frame) > landing->job_below) std::longjmp(landing->jump, 1);
  return _URC_NO_REASON;
}

void NoCleanup(_Unwind_Reason_Code, _Unwind_Exception*) {}

// Unwinds to the landing; returns only when the unwinder cannot (then the trip throws).
void UnwindTo(TripLanding& landing) {
  std::memset(&landing.exception, 0, sizeof landing.exception);
  landing.exception.exception_class = 0x484B545249500000ULL;  // "HKTRIP"
  landing.exception.exception_cleanup = &NoCleanup;
  _Unwind_ForcedUnwind(&landing.exception, &StopAtLanding, &landing);
}

}  // namespace

bool CatchTrips(Guard& guard, void (*run)(void*), void* context) {
  TripLanding landing;
  landing.outer = guard.landing_;
  // The frame itself, not a local: a sanitizer may keep locals elsewhere.
  landing.job_below = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (setjmp(landing.jump) != 0) {
    guard.landing_ = landing.outer;
    return false;
  }
  // Put back however run leaves: a return, or an exception that is no trip.
  struct Restore {
    Guard& guard;
    TripLanding* outer;
    ~Restore() { guard.landing_ = outer; }
  } restore{guard, landing.outer};
  guard.landing_ = &landing;
  run(context);
  return true;
}

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
      hard_floor_(floor),
      top_(StackPointer()),
      budget_(budget),
      start_(budget.steps),
      call_charge_(bounds::kPerStateCost),
      previous_(current),
      account_(MemoryAccount::Current()) {
  // The first touch below the top takes the slow path and charges the first stretch of stack.
  floor_ = std::max(top_, hard_floor_);
  stack_base_ = account_ != nullptr ? account_->stack() : 0;
  current = this;
}

Guard::~Guard() {
  budget_.steps += left_;
  current = previous_;
}

void Guard::ChargeCurrent(std::int64_t steps) {
  if (current != nullptr) current->Charge(steps);
}

Guard* Guard::Current() noexcept { return current; }

void Guard::ChargeCompileCurrent(std::int64_t steps) {
  if (current != nullptr) current->ChargeCompile(steps);
}

void Guard::Slow() {
  const std::uintptr_t sp = StackPointer();
  if (sp < floor_) {
    if (sp < hard_floor_) {
      left_ += touch_cost_;  // give back the touch not taken
      Fail(Trip::kStack);
    }
    Deepen(sp);
    if (left_ >= 0) return;
  }
  Spend(0);
}

void Guard::Deepen(std::uintptr_t sp) {
  const std::uintptr_t checkpoint = std::max(hard_floor_, Lower(sp, bounds::kStackChargeStep));
  if (checkpoint >= floor_) return;
  floor_ = checkpoint;
  // Between two touches the matcher may go raise_ further down than the checkpoint.
  if (account_ != nullptr && !account_->TouchStack(stack_base_ + (top_ - floor_) + raise_)) Fail(Trip::kMemory);
}

void Guard::Spend(std::int64_t steps) {
  // What is left in all: the budget not handed out, plus the chunk's rest (negative once the chunk is overdrawn).
  const std::int64_t rest = budget_.steps + left_ - std::min(steps, kMaxSteps);
  left_ = 0;
  budget_.steps = rest;
  if (rest < 0 || doomed_ || Clock::now() + UnwindingAhead() >= budget_.deadline) {
    budget_.steps = 0;
    Fail(Trip::kTime);
  }
  if (StackPointer() < hard_floor_) Fail(Trip::kStack);
  left_ = static_cast<std::int32_t>(std::min<std::int64_t>(bounds::kStepsPerClockRead, rest));
  budget_.steps -= left_;
}

Clock::duration Guard::UnwindingAhead() const noexcept {
  const double seconds = static_cast<double>(depth()) * budget_.unwind_seconds_per_byte;
  return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void Guard::Fail(Trip why) {
  if (tripped_ == Trip::kNone) {  // the first trip is the command's reason
    tripped_ = why;
    tripped_at_ = Clock::now();
  }
  if (landing_ != nullptr) UnwindTo(*landing_);
  switch (why) {
    case Trip::kTime:
      throw kTimeTrip;
    case Trip::kMemory:
      throw kMemoryTrip;
    default:
      throw kStackTrip;
  }
}

void Guard::RequireRoom(std::size_t bytes) {
  const std::uintptr_t sp = StackPointer();
  if (sp < hard_floor_ || sp - hard_floor_ < bytes) Fail(Trip::kStack);
  Deepen(sp - bytes);
}

void Guard::Adopt(std::size_t states, std::size_t weight) {
  const std::size_t raise = SaturatingMul(states, bounds::kBytesPerState);
  raise_ = raise;
  hard_floor_ = raise > std::numeric_limits<std::uintptr_t>::max() - hard_floor_
                    ? std::numeric_limits<std::uintptr_t>::max()
                    : hard_floor_ + raise;
  floor_ = std::max(floor_, hard_floor_);
  touch_cost_ = static_cast<std::int32_t>(std::clamp<std::size_t>(weight, 1, kMaxWeight) * bounds::kTouchCost);
  if (weight > kMaxWeight) {
    doomed_ = true;  // the next touch takes the slow path, which fails
    budget_.steps += left_;
    left_ = 0;
  }
  const std::size_t per_call = SaturatingMul(std::max<std::size_t>(states, 1), bounds::kPerStateCost);
  call_charge_ = static_cast<std::int64_t>(std::min<std::size_t>(per_call, static_cast<std::size_t>(kMaxSteps)));
  if (StackPointer() < hard_floor_) Fail(Trip::kStack);
}

}  // namespace hostkit::regex
