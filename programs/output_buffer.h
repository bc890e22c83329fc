#pragma once
// The unread output of one program, between the thread that drains its pipe and the script that reads it. The
// drain takes at most the room left under kMaxUnread, so once that much waits it stops reading the pipe and the
// program waits on its next write until the script reads: nothing is dropped and memory stays bounded. The script's
// side takes the lock for a move of the buffer only, and the ended flag is an atomic that needs no lock.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "programs/program_rules.h"

namespace hostkit::programs {

class OutputBuffer {
 public:
  explicit OutputBuffer(std::size_t bound = kMaxUnread) : bound_(bound) {}

  // Drain side. Blocks until there is room, and answers it.
  std::size_t WaitForRoom();
  void Append(std::string_view bytes);
  // The pipe has ended: what is buffered is all there will be.
  void Close();

  // Script side. The bytes written since the last take that are whole characters under `complete` (a function that
  // answers how many leading bytes of a text can be converted now; an unfinished character at the end waits for its
  // last bytes, unless the pipe has ended).
  std::string Take(const std::function<std::size_t(std::string_view)>& complete);

  bool Closed() const noexcept { return closed_.load(); }
  // Closed and everything handed over.
  bool Drained() const;
  std::size_t Unread() const;

 private:
  const std::size_t bound_;
  mutable std::mutex lock_;
  std::condition_variable room_;
  std::string unread_;
  std::atomic<bool> closed_{false};
};

}  // namespace hostkit::programs
