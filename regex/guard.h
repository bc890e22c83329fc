#pragma once
// The guard that keeps a pattern from crashing or hanging the host.
//
// libstdc++'s matcher backtracks recursively, about one call per character consumed, and can take exponential
// time. It touches the text only through the iterator type it is given, at every character test, anchor test,
// loop revisit and back-reference, and each of these starts with an iterator comparison (against the end, the
// beginning or a loop's last position). So the text is handed to it through GuardedIter, whose == and != count
// one step against the command's budget and compare the stack pointer with a floor; *, ++ and -- stay plain
// (guarding them too measured 10 to 15% more instructions and catches nothing more). Crossing either limit throws
// std::regex_error, which unwinds the matcher cleanly. The allocator on the match results sees each engine call
// and each lookahead (both clear a table as large as the compiled pattern) and charges it the same way.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <regex>

namespace hostkit::regex {

enum class Trip { kNone, kBudget, kStack };

class Guard {
 public:
  // floor: the lowest stack address the matcher may reach; budget: steps for the whole command.
  Guard(std::uintptr_t floor, std::size_t budget) noexcept : touches_left_(budget), budget_(budget), floor_(floor) {}
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

  // One touch of the text: the hot path of every match.
  void Touch() {
    if (touches_left_-- == 0 || StackPointer() < floor_) [[unlikely]]
      Fail();
  }

  // Charges work that does not touch the text (tables, copies, result text).
  void Charge(std::size_t steps) {
    const std::size_t touches = steps / touch_cost_ + (steps % touch_cost_ != 0);
    if (touches > touches_left_) {
      touches_left_ = 0;
      Fail(Trip::kBudget);
    }
    touches_left_ -= touches;
    if (StackPointer() < floor_) Fail(Trip::kStack);
  }

  // Fails with Trip::kStack unless the stack has bytes of room above the floor.
  void RequireRoom(std::size_t bytes);

  // Adapts the guard to a compiled pattern: every state can add a matcher frame between two touches, so the
  // floor rises by that much; in patterns that do much work between touches each touch costs weight steps;
  // each engine call and lookahead is charged the size of the pattern. Fails when the raised floor leaves no room.
  void Adopt(std::size_t states, std::size_t weight);

  void ChargeEngineCall() { Charge(call_charge_); }

  Trip tripped() const noexcept { return tripped_; }
  // Steps spent so far (in whole touches).
  std::size_t steps() const noexcept { return (budget_ / touch_cost_ - touches_left_) * touch_cost_; }

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
  [[noreturn]] __attribute__((noinline, cold)) void Fail();
  [[noreturn]] __attribute__((noinline, cold)) void Fail(Trip why);

  // The budget is kept in touches, so that the hot path only counts down: a touch costs touch_cost_ steps.
  std::size_t touches_left_;
  std::size_t budget_;
  std::uintptr_t floor_;
  std::size_t touch_cost_ = 1;
  std::size_t call_charge_ = 1;
  Trip tripped_ = Trip::kNone;
};

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

  reference operator*() const {
    return *at_;
  }
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
    if (a.guard_ != nullptr) a.guard_->Touch();
    else if (b.guard_ != nullptr) b.guard_->Touch();
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

// Steps for a command over a text of this many bytes: ordinary patterns use 4 to 90 a byte.
std::size_t StepBudget(std::size_t text_length) noexcept;

}  // namespace hostkit::regex
