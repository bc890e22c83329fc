#pragma once
// The guard that keeps a pattern from crashing or hanging the host.
//
// libstdc++'s matcher backtracks recursively, about one call per character consumed, and can take exponential
// time. It touches the text only through the iterator type it is given, at every character test, anchor test,
// loop revisit and back-reference, and each of these starts with an iterator comparison (against the end, the
// beginning or a loop's last position). So the text is handed to it through GuardedIter, whose == and != count
// a step against the command's budget and compare the stack pointer with a floor; *, ++ and -- stay plain
// (guarding them too measured 10 to 15% more instructions and catches nothing more). The steps that cost much
// more than a comparison reach the guard through the dialect's traits (regex/engine/dialect.h), and the engine calls
// and lookaheads through the allocator of the match results. Crossing a limit throws std::regex_error, which
// unwinds the matcher cleanly.
//
// The count is the main measure, calibrated per kind of step (regex/bounds/bounds.h), so that a command ends at the
// same point on every run; the clock, read once per few thousand steps on the slow path, is the backstop for
// work the count underrates.
//
// The stack comparison also keeps the deepest point the stack has reached: the floor the hot path compares with
// is a checkpoint a little below the deepest point so far, and each time the stack passes it the guard charges
// the stack from its top down to the next checkpoint to the command's memory account (regex/bounds/account.h), until
// the checkpoint reaches the hard floor, where the stack runs out.
//
// A trip inside CatchTrips (every attempt of a command runs its job so) does not throw: it unwinds the job's frames
// in the one pass that runs their clean-ups, without the search pass that a throw makes first over every frame to
// find its handler, and lands where CatchTrips began. A match that fails a million frames deep spends most of its
// time after the trip unwinding them (bench/wine/regex_unwind.cpp), and the one pass takes about half as long.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <regex>
#include <type_traits>

#include "regex/bounds/account.h"
#include "regex/bounds/bounds.h"

namespace hostkit::regex {

enum class Trip { kNone, kTime, kStack, kMemory };

struct TripLanding;

using Clock = std::chrono::steady_clock;

// What a command may still spend. The retry on the large stack carries on with what the first attempt left.
struct Budget {
  std::int64_t steps = 0;
  Clock::time_point deadline;
  // What unwinding the stack costs, per byte below a guard's top: the clock trips that much ahead of the
  // deadline, so that a match that fails deep is unwound by the deadline (bounds::kUnwindSecondsPerStackByte).
  double unwind_seconds_per_byte = bounds::kUnwindSecondsPerStackByte;
};

// The time bound of a command over a text of this many bytes, from now.
Budget TimeBudget(std::size_t text_length) noexcept;

class Guard {
 public:
  // floor: the lowest stack address the matcher may reach; budget: what the command has left, updated as the
  // guard spends. The guard is the current one of its thread until it is destroyed. The stack it touches below
  // the point of its construction is charged to the memory account active on the thread, if any.
  Guard(std::uintptr_t floor, Budget& budget) noexcept;
  ~Guard();
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

  // One touch of the text: the hot path of every match.
  void Touch() {
    if ((left_ -= touch_cost_) < 0 || StackPointer() < floor_) [[unlikely]]
      Slow();
  }

  // Charges work that does not touch the text (tables, copies, result text, costly assertions).
  void Charge(std::int64_t steps) {
    if (steps > left_) [[unlikely]]
      Spend(steps);
    else
      left_ -= static_cast<std::int32_t>(steps);
  }

  // Charges the current guard of this thread, if any: the dialect's traits report costly steps through it.
  static void ChargeCurrent(std::int64_t steps);

  // Fails with Trip::kStack unless the stack has bytes of room above the floor; charges them as touched.
  void RequireRoom(std::size_t bytes);

  // Charges work of the pattern compiler (the bracket tables it builds through the traits) and reads the clock
  // once every bounds::kCompileCallsPerClockRead calls: the count of these calls is kept low, so that a faster
  // table does not trip it, and the clock bounds the compile whatever each call costs.
  void ChargeCompile(std::int64_t steps) {
    Charge(steps);
    if (++compile_calls_ % bounds::kCompileCallsPerClockRead == 0) [[unlikely]]
      Spend(0);
  }
  static void ChargeCompileCurrent(std::int64_t steps);
  // The current guard of this thread, or null.
  static Guard* Current() noexcept;

  // Adapts the guard to a compiled pattern: every state can add a matcher frame between two touches, so the
  // floor rises by that much (and the stack charged goes that far below the deepest touch); in patterns that do much
  // work between touches each touch costs weight times more; each engine call and lookahead is charged per state. Fails
  // when the raised floor leaves no room.
  void Adopt(std::size_t states, std::size_t weight);

  void ChargeEngineCall() { Charge(call_charge_); }

  Trip tripped() const noexcept { return tripped_; }
  // When the first trip was thrown, and how deep the stack charged then went below the guard's top.
  Clock::time_point tripped_at() const noexcept { return tripped_at_; }
  std::size_t depth() const noexcept { return top_ > floor_ ? top_ - floor_ : 0; }
  // Steps spent so far by this guard.
  std::int64_t steps() const noexcept { return start_ - (budget_.steps + left_); }

  // Read with asm: __builtin_frame_address would force a frame pointer on every matcher function.
  static std::uintptr_t StackPointer() noexcept {
    std::uintptr_t sp;
#if defined(__x86_64__)
    asm volatile("mov %%rsp, %0" : "=r"(sp));
#elif defined(__i386__)
    asm volatile("mov %%esp, %0" : "=r"(sp));
#else
    sp = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
#endif
    return sp;
  }

 private:
  __attribute__((noinline, cold)) void Slow();
  // Moves the checkpoint below sp and charges the stack down to it; fails when the account refuses.
  void Deepen(std::uintptr_t sp);
  // Takes steps more from the budget, reads the clock and hands out the next chunk of steps.
  __attribute__((noinline)) void Spend(std::int64_t steps);
  [[noreturn]] __attribute__((noinline, cold)) void Fail(Trip why);
  friend bool CatchTrips(Guard& guard, void (*run)(void*), void* context);
  // The time that unwinding the stack charged so far would take.
  Clock::duration UnwindingAhead() const noexcept;

  // Steps handed out to the hot path, counted down; the rest stays in budget_ until the next read of the clock.
  std::int32_t left_ = 0;
  std::int32_t touch_cost_;
  std::uintptr_t floor_;       // the checkpoint the hot path compares with: at or above hard_floor_
  std::uintptr_t hard_floor_;  // where the stack runs out
  std::uintptr_t top_;         // the stack pointer at the guard's construction
  std::size_t raise_ = 0;      // stack the matcher may use between two touches (Adopt)
  std::size_t stack_base_;     // stack the account held before this guard (an earlier attempt's)
  std::uint32_t compile_calls_ = 0;
  Budget& budget_;
  std::int64_t start_;
  std::int64_t call_charge_;
  Guard* previous_;
  MemoryAccount* account_;
  Trip tripped_ = Trip::kNone;
  Clock::time_point tripped_at_;
  bool doomed_ = false;             // adopted a pattern whose work between touches the clock could not bound
  TripLanding* landing_ = nullptr;  // where a trip lands, or null: then it throws
};

// Runs run(context); false when the guard tripped inside it (guard.tripped() says why). Every other exception
// passes as thrown. A trip raised elsewhere, or by another guard, throws std::regex_error as before.
bool CatchTrips(Guard& guard, void (*run)(void*), void* context);

template <class Run>
bool CatchTrips(Guard& guard, Run&& run) {
  using Callable = std::remove_reference_t<Run>;
  return CatchTrips(
      guard, [](void* raw) { (*static_cast<Callable*>(raw))(); },
      const_cast<void*>(static_cast<const void*>(std::addressof(run))));
}

// A bidirectional iterator over const char that reports every use to its guard.
class GuardedIter {
 public:
  using iterator_category = std::bidirectional_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  GuardedIter() noexcept = default;
  GuardedIter(const char* at, Guard* guard) noexcept : at_(at), guard_(guard) {}

  const char* base() const noexcept { return at_; }

  reference operator*() const { return *at_; }
  GuardedIter& operator++() {
    ++at_;
    return *this;
  }
  GuardedIter operator++(int) {
    GuardedIter before = *this;
    ++*this;
    return before;
  }
  GuardedIter& operator--() {
    --at_;
    return *this;
  }
  GuardedIter operator--(int) {
    GuardedIter before = *this;
    --*this;
    return before;
  }
  friend bool operator==(const GuardedIter& a, const GuardedIter& b) {
    TouchEither(a, b);
    return a.at_ == b.at_;
  }
  friend bool operator!=(const GuardedIter& a, const GuardedIter& b) { return !(a == b); }

 private:
  // The matcher compares only iterators into the text, but default-constructed ones exist in its tables.
  static void TouchEither(const GuardedIter& a, const GuardedIter& b) {
    if (a.guard_ != nullptr)
      a.guard_->Touch();
    else if (b.guard_ != nullptr)
      b.guard_->Touch();
  }

  const char* at_ = nullptr;
  Guard* guard_ = nullptr;
};

// The match results' allocator: each allocation is an engine call or a lookahead, charged to the guard.
// It propagates on copy assignment so that the matcher's working copies of the results carry the guard too.
template <class T>
class GuardAlloc {
 public:
  using value_type = T;
  using propagate_on_container_copy_assignment = std::true_type;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;

  GuardAlloc() noexcept = default;
  explicit GuardAlloc(Guard* guard) noexcept : guard_(guard) {}
  template <class U>
  GuardAlloc(const GuardAlloc<U>& other) noexcept : guard_(other.guard()) {}

  T* allocate(std::size_t n) {
    if (guard_ != nullptr) guard_->ChargeEngineCall();
    return std::allocator<T>().allocate(n);
  }
  void deallocate(T* p, std::size_t n) noexcept { std::allocator<T>().deallocate(p, n); }

  Guard* guard() const noexcept { return guard_; }
  template <class U>
  bool operator==(const GuardAlloc<U>& other) const noexcept {
    return guard_ == other.guard();
  }

 private:
  Guard* guard_ = nullptr;
};

using GuardedMatch = std::match_results<GuardedIter, GuardAlloc<std::sub_match<GuardedIter>>>;

}  // namespace hostkit::regex
