#include "tests/e2e/harness/console.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <vector>

#include "host/win_handle.h"

namespace e2e {

namespace {

hostkit::win::UniqueFile OpenConsoleOutput() {
  return hostkit::win::UniqueFile(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
}

}  // namespace

bool HasConsole() { return static_cast<bool>(OpenConsoleOutput()); }

std::string ConsoleText() {
  const hostkit::win::UniqueFile output = OpenConsoleOutput();
  if (!output) return "";
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(output.get(), &info)) return "";
  const DWORD width = static_cast<DWORD>(info.dwSize.X);
  std::string text;
  std::string row(width, ' ');
  std::size_t kept = 0;  // length of text up to its last non-empty row
  for (SHORT y = 0; y < info.dwSize.Y; ++y) {
    DWORD read = 0;
    if (!ReadConsoleOutputCharacterA(output.get(), row.data(), width, COORD{0, y}, &read)) break;
    std::string line = row.substr(0, read);
    line.erase(line.find_last_not_of(' ') + 1);
    if (y > 0) text += '\n';
    text += line;
    if (!line.empty()) kept = text.size();
  }
  text.resize(kept);
  return text;
}

StdoutKeeper::StdoutKeeper() {
  std::fflush(stdout);
  saved_ = _dup(1);
}

StdoutKeeper::~StdoutKeeper() {
  std::fflush(stdout);
  // The runtime's _dup2 onto descriptor 1 also sets the process's standard output handle.
  if (saved_ >= 0) {
    _dup2(saved_, 1);
    _close(saved_);
  }
}

}  // namespace e2e
