#include "programs/input_queue.h"

#include <utility>

namespace hostkit::programs {

int InputQueue::Push(std::string_view text) {
  {
    const std::lock_guard guard(lock_);
    // The script's own close answers first, whether or not the program has ended since.
    if (closed_) return kClosed;
    if (broken_) return kBroken;
    if (text.size() > bound_ - queued_.size() - in_flight_) return kFull;
    queued_.append(text);
  }
  ready_.notify_all();
  return kQueued;
}

void InputQueue::Close() {
  {
    const std::lock_guard guard(lock_);
    closed_ = true;
  }
  ready_.notify_all();
}

InputQueue::Next InputQueue::Take(std::string& bytes, std::chrono::milliseconds wait) {
  std::unique_lock guard(lock_);
  in_flight_ = 0;  // the previous take has been written
  ready_.wait_for(guard, wait, [&] { return broken_ || closed_ || !queued_.empty(); });
  if (broken_) return Next::Done;
  if (!queued_.empty()) {
    bytes = std::move(queued_);
    queued_.clear();
    in_flight_ = bytes.size();
    return Next::Write;
  }
  return closed_ ? Next::Done : Next::Idle;
}

void InputQueue::Break() {
  {
    const std::lock_guard guard(lock_);
    broken_ = true;
    queued_.clear();
    in_flight_ = 0;
  }
  ready_.notify_all();
}

}  // namespace hostkit::programs
