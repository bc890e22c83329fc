#pragma once
// The edge between the platform and the library. Nothing thrown inside may reach a frame that is not ours: the
// host's, or a Win32 frame below a window procedure, hook or callback (this toolchain's DWARF-2 unwinding
// cannot cross those, and the process ends). Every export and every callback runs its work through Guard.
#include <type_traits>
#include <utility>

namespace hostkit {

// A null string argument reads as the empty string.
inline const char* Arg(const char* text) noexcept { return text != nullptr ? text : ""; }

// The failure of a body without a result: there is nothing to answer.
struct NoAnswer {};

// Runs `body` and answers what it answers. Anything thrown ends there and the guard answers `failure`
// instead: the value itself, or what `failure()` makes when it is a function (for an answer that must only
// be made on failure, such as a host string). The failure itself must not throw.
template <class Body, class Failure = NoAnswer>
auto Guard(Body&& body, Failure&& failure = {}) noexcept -> decltype(body()) {
  using Answer = decltype(body());
  constexpr bool kHasAnswer = !std::is_same_v<std::decay_t<Failure>, NoAnswer>;
  static_assert(std::is_void_v<Answer> || kHasAnswer, "a body with a result needs a failure value");
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    if constexpr (std::is_invocable_v<Failure>)
      return std::forward<Failure>(failure)();
    else if constexpr (kHasAnswer)
      return failure;
  }
}

}  // namespace hostkit
