#pragma once
// Retrying a platform call that fails while another program holds a shared resource (the clipboard).
#include <cstdint>

namespace hostkit::window {

// Calls `attempt()` until it answers true or `budget_ms` have passed since the first call, calling
// `wait(step_ms)` between tries. `now()` is a millisecond tick that may wrap (GetTickCount); a try is always
// made once more after the last wait, so the budget is never cut short by a slow wait. True once a try
// succeeded.
template <class Attempt, class Now, class Wait>
bool RetryFor(std::uint32_t budget_ms, std::uint32_t step_ms, Attempt&& attempt, Now&& now, Wait&& wait) {
  const std::uint32_t start = now();
  for (;;) {
    if (attempt()) return true;
    if (static_cast<std::uint32_t>(now() - start) >= budget_ms) return false;
    wait(step_ms);
  }
}

}  // namespace hostkit::window
