// The DLL's operator new and delete, which feed the regex commands' memory account (regex/bounds/account.h). Outside a
// command they are malloc and free with a small header. The array, nothrow and sized forms of the runtime forward
// to these; the aligned forms keep the runtime's own allocator and are not used by the engine.
#include <cstdint>
#include <cstdlib>
#include <new>

#include "regex/bounds/account.h"

using hostkit::regex::BlockCharge;
using hostkit::regex::kBlockHeader;
using hostkit::regex::MemoryAccount;

// Each block carries its size in a header, so that delete credits exactly what new charged without asking the
// heap: the heap's own size query (_msize) is slow under Wine, and with one query for each block taken and given
// back it cost the walks that call the engine at every match 20 to 30% of their time.
void* operator new(std::size_t size) {
  if (size > SIZE_MAX - BlockCharge(0)) throw std::bad_alloc();
  MemoryAccount* const account = MemoryAccount::Current();
  // Refused before it is allocated: a block past the bound never reaches the process.
  if (account != nullptr && !account->Take(BlockCharge(size))) throw std::bad_alloc();
  void* const raw = std::malloc(size + kBlockHeader);
  if (raw == nullptr) {
    if (account != nullptr) account->Give(BlockCharge(size));
    throw std::bad_alloc();
  }
  *static_cast<std::size_t*>(raw) = size;
  return static_cast<char*>(raw) + kBlockHeader;
}

void operator delete(void* block) noexcept {
  if (block == nullptr) return;
  void* const raw = static_cast<char*>(block) - kBlockHeader;
  if (MemoryAccount* const account = MemoryAccount::Current())
    account->Give(BlockCharge(*static_cast<const std::size_t*>(raw)));
  std::free(raw);
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
