#include "dialogs/build_turn.h"

#include <algorithm>

namespace hostkit::dialogs {

std::uint64_t BuildTurn::Take(const std::function<bool()>& wanted, std::chrono::milliseconds poll) {
  std::unique_lock guard(lock_);
  for (;;) {
    const Clock::time_point now = Clock::now();
    if (holder_ == 0 || now - held_since_ >= max_hold_) break;
    guard.unlock();
    const bool still_wanted = wanted();
    guard.lock();
    if (!still_wanted) return 0;
    given_.wait_until(guard, std::min(held_since_ + max_hold_, now + poll));
  }
  holder_ = ++last_ticket_;
  held_since_ = Clock::now();
  return holder_;
}

void BuildTurn::Give(std::uint64_t ticket) {
  {
    const std::lock_guard guard(lock_);
    if (ticket == 0 || holder_ != ticket) return;
    holder_ = 0;
  }
  given_.notify_all();
}

}  // namespace hostkit::dialogs
