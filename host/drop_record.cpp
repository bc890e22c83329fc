#include "host/drop_record.h"

#include <utility>

namespace hostkit::host {

bool DropRecord::Add(std::string_view name) {
  if (full_) return false;
  if (name.empty()) return true;
  const std::size_t separator = text_.empty() ? 0 : 1;
  if (name.size() > bound_ || text_.size() + separator > bound_ - name.size()) {
    full_ = true;
    return false;
  }
  if (separator != 0) text_ += '|';
  text_ += name;
  return true;
}

std::string DropRecord::Take() {
  full_ = false;
  return std::exchange(text_, std::string());
}

void DropRecord::Forget(std::size_t length) {
  full_ = false;
  if (length >= text_.size()) {
    text_.clear();
    return;
  }
  text_.erase(0, text_[length] == '|' ? length + 1 : length);
}

}  // namespace hostkit::host
