#pragma once
// The names of the files dropped on the host window since the last read, oldest drop first, joined by "|".
#include <cstddef>
#include <string>
#include <string_view>

namespace hostkit::host {

class DropRecord {
 public:
  // The pending text stops at 4 MiB (some 40,000 names of a hundred bytes): a name that would take it past the
  // bound is left out, and so is every later name until the record is read.
  static constexpr std::size_t kPendingBound = 4u << 20;

  explicit DropRecord(std::size_t bound = kPendingBound) noexcept : bound_(bound) {}

  // Adds a name after those pending; an empty name is skipped. False once the record is full (this name and
  // all later ones until Take are left out), so that the reader of a large drop can stop early.
  bool Add(std::string_view name);

  // The pending names joined by "|", and the record starts anew.
  std::string Take();

  // The pending names joined by "|", left in the record.
  const std::string& Pending() const noexcept { return text_; }
  // Forgets the first `length` bytes of the pending text (what Pending gave once it has been delivered) with the
  // separator after them; names added since stay. The record takes names again.
  void Forget(std::size_t length);

  bool full() const noexcept { return full_; }

 private:
  std::size_t bound_;
  std::string text_;
  bool full_ = false;
};

}  // namespace hostkit::host
