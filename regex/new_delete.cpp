// The DLL's operator new and delete, which feed the regex commands' memory account (regex/account.h). Outside a
// command they are plain malloc and free. The array, nothrow and sized forms of the runtime forward to these;
// the aligned forms keep the runtime's own allocator and are not used by the engine.
#include <cstdlib>
#include <new>

#include "regex/account.h"

using hostkit::regex::MemoryAccount;

void* operator new(std::size_t size) {
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) throw std::bad_alloc();
  if (MemoryAccount* account = MemoryAccount::Current();
      account != nullptr && !account->Take(hostkit::regex::BlockSize(block))) {
    std::free(block);
    throw std::bad_alloc();
  }
  return block;
}

void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  if (MemoryAccount* account = MemoryAccount::Current()) account->Give(hostkit::regex::BlockSize(block));
  std::free(block);
}

void* operator new[](std::size_t size) { return ::operator new(size); }
void operator delete[](void* block) noexcept { ::operator delete(block); }
void operator delete(void* block, std::size_t) noexcept { ::operator delete(block); }
void operator delete[](void* block, std::size_t) noexcept { ::operator delete(block); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return ::operator new(size, std::nothrow); }
void operator delete(void* block, const std::nothrow_t&) noexcept { ::operator delete(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { ::operator delete(block); }
