#include "window/console.h"

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "host/host_window.h"
#include "host/win_handle.h"
#include "window/command_line.h"

namespace hostkit::window {
namespace {

bool HasConsole() noexcept { return host::RecordedConsoleWindow() != nullptr; }

// The value of an environment variable, nullopt when it is not set.
std::optional<std::string> EnvironmentValue(const char* name) {
  std::string value(MAX_PATH, '\0');
  for (;;) {
    // On success the count excludes the terminator; when the buffer is too small it is the size needed,
    // terminator included; 0 means unset (or empty, which serves no better).
    const DWORD length = ::GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) return std::nullopt;
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);
  }
}

// cmd.exe along the executable search path (PATH only: not the working folder), or nullopt.
std::optional<std::string> CommandInterpreterOnPath() {
  const auto path = EnvironmentValue("PATH");
  if (!path) return std::nullopt;
  std::string found(MAX_PATH, '\0');
  for (;;) {
    // Same count rule as GetEnvironmentVariableA: excludes the terminator on success, includes it when short.
    const DWORD length =
        ::SearchPathA(path->c_str(), "cmd.exe", nullptr, static_cast<DWORD>(found.size()), found.data(), nullptr);
    if (length == 0) return std::nullopt;
    if (length < found.size()) {
      found.resize(length);
      return found;
    }
    found.resize(length);
  }
}

win::UniqueFile OpenInheritable(const char* device, DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return win::UniqueFile(::CreateFileA(device, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                       0, nullptr));
}

// Starts "program /c command" in this process's console and waits for it to end. False when it cannot start.
bool RunAndWait(const std::string& program, const char* command) {
  std::string line = InterpreterCommandLine(program, command);
  std::vector<char> writable(line.begin(), line.end());
  writable.push_back('\0');

  // The interpreter reads and writes the console itself, whatever the host's standard handles point at.
  const win::UniqueFile input = OpenInheritable("CONIN$", GENERIC_READ | GENERIC_WRITE);
  const win::UniqueFile output = OpenInheritable("CONOUT$", GENERIC_READ | GENERIC_WRITE);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (input && output) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
  }
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &started))
    return false;
  const win::UniqueHandle process(started.hProcess);
  const win::UniqueHandle thread(started.hThread);
  ::WaitForSingleObject(process.get(), INFINITE);
  return true;
}

}  // namespace

void OpenConsole() noexcept {
  if (HasConsole()) return;
  if (!::AllocConsole()) return;
  // Text mode, as the console expects line ends; a failed reopen leaves writes failing quietly.
  std::freopen("CONOUT$", "w", stdout);
  host::RecordConsoleWindow(::GetConsoleWindow());
}

void ConsoleWrite(const char* text) noexcept {
  if (!HasConsole() || text == nullptr) return;
  // Written as data: a "%" in the text is an ordinary character.
  std::fputs(text, stdout);
  std::fflush(stdout);
}

void ConsoleCommand(const char* command) noexcept {
  if (!HasConsole() || command == nullptr) return;
  try {
    // Text already in the stream must come before the command's own output.
    std::fflush(stdout);
    if (const auto comspec = EnvironmentValue("COMSPEC"); comspec && RunAndWait(*comspec, command)) return;
    if (const auto interpreter = CommandInterpreterOnPath()) RunAndWait(*interpreter, command);
  } catch (...) {
    // Out of memory while building the command line: nothing ran.
  }
}

}  // namespace hostkit::window
