#pragma once
// Reading this process's console back, and keeping the C runtime's standard output for the test's own report.
#include <string>

namespace e2e {

// True when this process has a console (its output device opens). Wine's console has no window, so
// GetConsoleWindow cannot tell.
bool HasConsole();

// The characters of this process's console screen buffer: each row without its trailing blanks, rows joined by
// "\n", trailing empty rows dropped. "" when the process has no console.
std::string ConsoleText();

// Keeps standard output (the C runtime's descriptor 1 and the process's standard handle) as it is now and puts it
// back on destruction, so a command that rebinds it to a console leaves the test's own report where it was.
class StdoutKeeper {
 public:
  StdoutKeeper();
  ~StdoutKeeper();
  StdoutKeeper(const StdoutKeeper&) = delete;
  StdoutKeeper& operator=(const StdoutKeeper&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace e2e
