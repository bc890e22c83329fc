#include "regex/account.h"

namespace hostkit::regex {
namespace {

thread_local MemoryAccount* current = nullptr;

}  // namespace

MemoryAccount* MemoryAccount::Current() noexcept { return current; }

bool MemoryAccount::Take(std::size_t bytes) noexcept {
  if (refused_ || bytes > limit_ || live_ > limit_ - bytes) {
    refused_ = true;  // later blocks are refused too: the command is over
    return false;
  }
  live_ += bytes;
  if (live_ > peak_) peak_ = live_;
  return true;
}

AccountScope::AccountScope(MemoryAccount& account) noexcept : previous_(current) { current = &account; }

AccountScope::~AccountScope() { current = previous_; }

}  // namespace hostkit::regex
