#pragma once
// The memory account of a regex command: every block that operator new hands out while an account is active on
// the thread is charged to it, every block that operator delete takes back is credited, and a block that would
// take the account past its limit is refused with std::bad_alloc.
//
// Why this sees every route: the DLL links its C++ runtime statically (exports/CMakeLists.txt), and the DLL's
// own operator new and delete (regex/bounds/new_delete.cpp) replace the runtime's at link time, so every allocation of
// the engine (compiled states, bracket class lists and their copies, lookahead tables, the matcher's state)
// and of the result text goes through them. Nothing of the engine allocates any other way. What a command's
// heap use adds to the process is exactly what it allocated less what it freed: a block allocated before and
// freed during the command lowers both alike, so the account cannot be fooled into charging too little.
// The account is active on the command's thread and on its large-stack worker, which never run at once.
//
// The stack the matcher touches is memory too: on Windows a thread's stack is a reservation whose pages are
// committed one by one as the stack grows, and what stays is every page reached. The guard (regex/bounds/guard.h)
// reports the deepest point its command's stack has reached, and the account holds heap and stack against one limit.
#include <cstddef>

#include "regex/bounds/bounds.h"

namespace hostkit::regex {

class MemoryAccount {
 public:
  explicit MemoryAccount(std::size_t limit) noexcept : limit_(limit) {}
  MemoryAccount(const MemoryAccount&) = delete;
  MemoryAccount& operator=(const MemoryAccount&) = delete;

  void set_limit(std::size_t limit) noexcept { limit_ = limit; }
  bool refused() const noexcept { return refused_; }
  // Heap bytes held now.
  std::size_t live() const noexcept { return live_; }
  // Stack bytes touched so far (only ever rises).
  std::size_t stack() const noexcept { return stack_; }
  // The most heap and stack held together.
  std::size_t peak() const noexcept { return peak_; }

  // The account active on this thread, or null.
  static MemoryAccount* Current() noexcept;

  // Called by operator new and delete for each block, with what it costs (BlockCharge). The last
  // bounds::kSmallBlockReserve bytes of the limit are kept for blocks of at most bounds::kSmallBlock bytes, so
  // that an engine error raised near the limit can still allocate its message and is reported as itself.
  bool Take(std::size_t bytes) noexcept;
  void Give(std::size_t bytes) noexcept { live_ = bytes < live_ ? live_ - bytes : 0; }

  // The command's stack has touched this many bytes in all; false (and refused) when heap and stack together
  // would pass the limit. A smaller figure than before changes nothing: touched pages stay.
  bool TouchStack(std::size_t bytes) noexcept;

  // Whether bytes more would fit now, without taking them: the host's copy of the answer, made after the command.
  bool Fits(std::size_t bytes) noexcept;

 private:
  friend class AccountScope;
  bool Within(std::size_t more, std::size_t limit) const noexcept {
    return !refused_ && limit >= stack_ && more <= limit - stack_ && live_ <= limit - stack_ - more;
  }
  void Note() noexcept {
    if (live_ + stack_ > peak_) peak_ = live_ + stack_;
  }

  std::size_t limit_;
  std::size_t live_ = 0;
  std::size_t stack_ = 0;
  std::size_t peak_ = 0;
  bool refused_ = false;
};

// Makes an account the active one of this thread for the scope's life.
class AccountScope {
 public:
  explicit AccountScope(MemoryAccount& account) noexcept;
  ~AccountScope();
  AccountScope(const AccountScope&) = delete;
  AccountScope& operator=(const AccountScope&) = delete;

 private:
  MemoryAccount* previous_;
};

// Makes no account active on this thread for the scope's life: the blocks of the pattern cache
// (regex/pattern_cache.h) are the cache's, kept and freed apart from the command that happens to be running.
class AccountPause {
 public:
  AccountPause() noexcept;
  ~AccountPause();
  AccountPause(const AccountPause&) = delete;
  AccountPause& operator=(const AccountPause&) = delete;

 private:
  MemoryAccount* previous_;
};

// operator new keeps a block's size in a header of this many bytes before it (16 keeps malloc's alignment).
inline constexpr std::size_t kBlockHeader = 16;

// What a block of size bytes costs the process, charged by operator new and credited by operator delete: the
// bytes, the header, and the heap's own header and rounding.
constexpr std::size_t BlockCharge(std::size_t size) noexcept { return size + kBlockHeader + bounds::kBlockOverhead; }

}  // namespace hostkit::regex
