#include "regex/bounds/account.h"

namespace hostkit::regex {
namespace {

thread_local MemoryAccount* current = nullptr;

}  // namespace

MemoryAccount* MemoryAccount::Current() noexcept { return current; }

bool MemoryAccount::Take(std::size_t bytes) noexcept {
  const std::size_t reserve = bytes <= bounds::kSmallBlock ? 0 : bounds::kSmallBlockReserve;
  if (!Within(bytes, limit_ > reserve ? limit_ - reserve : 0)) {
    refused_ = true;  // later blocks are refused too: the command is over
    return false;
  }
  live_ += bytes;
  Note();
  return true;
}

bool MemoryAccount::TouchStack(std::size_t bytes) noexcept {
  if (bytes <= stack_) return !refused_;
  const std::size_t more = bytes - stack_;
  if (!Within(more, limit_)) {
    refused_ = true;
    return false;
  }
  stack_ = bytes;
  Note();
  return true;
}

bool MemoryAccount::Fits(std::size_t bytes) noexcept {
  if (!Within(bytes, limit_)) {
    refused_ = true;
    return false;
  }
  if (live_ + stack_ + bytes > peak_) peak_ = live_ + stack_ + bytes;
  return true;
}

AccountScope::AccountScope(MemoryAccount& account) noexcept : previous_(current) { current = &account; }

AccountScope::~AccountScope() { current = previous_; }

AccountPause::AccountPause() noexcept : previous_(current) { current = nullptr; }

AccountPause::~AccountPause() { current = previous_; }

}  // namespace hostkit::regex
