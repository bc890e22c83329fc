#include "programs/output_buffer.h"

#include <utility>

namespace hostkit::programs {

std::size_t OutputBuffer::WaitForRoom() {
  std::unique_lock guard(lock_);
  room_.wait(guard, [&] { return unread_.size() < bound_; });
  return bound_ - unread_.size();
}

void OutputBuffer::Append(std::string_view bytes) {
  const std::lock_guard guard(lock_);
  unread_.append(bytes);
}

void OutputBuffer::Close() {
  const std::lock_guard guard(lock_);
  closed_.store(true);
}

std::string OutputBuffer::Take(const std::function<std::size_t(std::string_view)>& complete) {
  std::string taken;
  {
    const std::lock_guard guard(lock_);
    taken = std::move(unread_);
    unread_.clear();
    const std::size_t whole = closed_.load() ? taken.size() : complete(taken);
    if (whole < taken.size()) {
      unread_.assign(taken, whole, std::string::npos);
      taken.resize(whole);
    }
  }
  room_.notify_all();
  return taken;
}

bool OutputBuffer::Drained() const {
  const std::lock_guard guard(lock_);
  return closed_.load() && unread_.empty();
}

std::size_t OutputBuffer::Unread() const {
  const std::lock_guard guard(lock_);
  return unread_.size();
}

}  // namespace hostkit::programs
