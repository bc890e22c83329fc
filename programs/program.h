#pragma once
// One program run beside the game: started at once, watched without waiting, its output drained and its input
// written by threads of hostkit's. Every call here comes from the script's side and takes short locks only.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "host/win_handle.h"
#include "programs/input_queue.h"
#include "programs/output_buffer.h"
#include "programs/program_rules.h"

namespace hostkit::programs {

class Program : public std::enable_shared_from_this<Program> {
 public:
  explicit Program(int flags);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Starts the program; a start the system refuses leaves the request NotStarted with the system's error.
  void Start(const std::string& command_line, const std::string& folder);

  // The request's status, brought up to date without waiting. A captured program has ended once its process has
  // ended and its output pipe has closed (every byte it wrote is then in hostkit's hands).
  Status Refresh();
  // What the request table asks.
  bool Ended() { return Refresh() != Status::Running; }
  std::uint64_t EndStamp() const { return end_stamp_.load(); }

  // The exit code once ended (the start's error for NotStarted), 0 while running; an answer for an ended program
  // counts as read.
  unsigned ExitCode();
  // The output since the last read, converted as the flags ask.
  std::string ReadOutput();
  // A text the host did not take: it comes first at the next read.
  void KeepUnread(std::string text);
  int WriteInput(std::string_view text);
  void CloseInput();
  // Ends the program and what it started (its job), or the program alone where the system refused a job.
  void End();
  // Its exit code read and its output handed over whole: the script is done with it.
  bool ReadWhole();

 private:
  void NotStarted(DWORD error);
  bool StartDrain(win::UniqueHandle pipe);
  bool StartWriter(win::UniqueHandle pipe);
  std::size_t WholeBytes(std::string_view bytes) const;
  std::string Converted(std::string bytes) const;

  const int flags_;
  std::mutex state_lock_;  // the script's calls only: no thread of hostkit's takes it
  std::atomic<Status> status_{Status::Running};
  std::atomic<unsigned> exit_code_{0};
  std::atomic<std::uint64_t> end_stamp_{0};
  bool process_ended_ = false;
  bool ended_by_call_ = false;
  bool exit_read_ = false;
  std::string unread_text_;  // converted, refused by the host once
  win::UniqueHandle process_;
  win::UniqueHandle job_;
  std::shared_ptr<OutputBuffer> output_;  // with kCapture
  std::shared_ptr<InputQueue> input_;     // with kInput
};

}  // namespace hostkit::programs
