#pragma once
// Child processes for tests that need a fresh process state: hostrun runs, window owners, command lines.
#include <windows.h>

#include <string>

#include "host/win_handle.h"

namespace e2e {

struct ProcessResult {
  DWORD exit_code = 0;
  std::string out;
  std::string err;
};

// Runs a command line (program path first) with the given standard input; waits up to timeout_ms.
ProcessResult RunProcess(const std::string& command_line, const std::string& input = "", DWORD timeout_ms = 60000);

// Runs bin/hostrun.exe with the arguments (already quoted as needed).
ProcessResult RunHostrun(const std::string& arguments, const std::string& input = "");

// Waits for the object while this thread's windows go on answering their messages (another program's clipboard
// calls send messages to the window that owns the clipboard, and wait up to 5 s for its answer). True once
// signalled, false after timeout_ms.
bool WaitPumping(HANDLE object, DWORD timeout_ms);

// A child process that runs beside the test (no pipes): ended by force if it still runs on destruction.
class ChildProcess {
 public:
  explicit ChildProcess(const std::string& command_line);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Its exit code once it has ended (waiting as WaitPumping does); throws when it runs longer than timeout_ms.
  DWORD Wait(DWORD timeout_ms = 60000);

 private:
  hostkit::win::UniqueHandle process_;
};

// True in a Wine process (ntdll exports wine_get_version), for the tolerances named where Wine differs.
bool RunningOnWine();

// Directory of the test program, with a trailing backslash (hostkit.dll and hostrun.exe live there).
std::string BinDirectory();

// A fresh empty folder under the Wine prefix's temporary folder, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }  // no trailing backslash
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Writes a file with the given content, creating it or replacing it.
void WriteTextFile(const std::string& path, const std::string& content);

}  // namespace e2e
