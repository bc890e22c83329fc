#include "regex/account.h"

#include <cstdlib>

#include "regex/bounds.h"

#include <malloc.h>  // _msize (msvcrt), malloc_usable_size (glibc)

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

std::size_t BlockSize(void* block) noexcept {
#ifdef _WIN32
  return _msize(block) + bounds::kBlockOverhead;
#else
  return malloc_usable_size(block) + bounds::kBlockOverhead;
#endif
}

}  // namespace hostkit::regex
