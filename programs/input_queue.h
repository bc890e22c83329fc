#pragma once
// What the script has written to a program's input and its pipe has not taken yet. The script's side queues and
// returns at once; a thread of hostkit's takes it and writes the pipe, waiting on the program as long as it must.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "programs/program_rules.h"

namespace hostkit::programs {

class InputQueue {
 public:
  // What Push answers: the Win32 errors a script sees.
  static constexpr int kQueued = 0;
  static constexpr int kFull = 8;      // ERROR_NOT_ENOUGH_MEMORY: the call would pass kMaxQueued
  static constexpr int kBroken = 109;  // ERROR_BROKEN_PIPE: the program has ended or stopped reading its input
  static constexpr int kClosed = 232;  // ERROR_NO_DATA: CloseProgramInput came first

  explicit InputQueue(std::size_t bound = kMaxQueued) : bound_(bound) {}

  // Script side. A text that does not fit whole is refused whole.
  int Push(std::string_view text);
  // No more input: the writer closes the pipe once the queue is written.
  void Close();

  enum class Next { Write, Done, Idle };
  // Writer side: Write with the queued bytes in `bytes`; Done once closed (or broken) and written; Idle when nothing
  // came within `wait`.
  Next Take(std::string& bytes, std::chrono::milliseconds wait);
  // The pipe broke or the program ended: what is queued is dropped and later pushes answer kBroken.
  void Break();

 private:
  const std::size_t bound_;
  std::mutex lock_;
  std::condition_variable ready_;
  std::string queued_;
  std::size_t in_flight_ = 0;  // taken by the writer and not yet written
  bool closed_ = false;
  bool broken_ = false;
};

}  // namespace hostkit::programs
