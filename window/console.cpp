#include "window/console.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "fs/quiet_media.h"
#include "host/grow_buffer.h"
#include "host/host_window.h"
#include "host/inherit_only.h"
#include "host/lifetime.h"
#include "host/win_handle.h"
#include "window/command_line.h"

namespace hostkit::window {
namespace {

bool HasConsole() noexcept { return host::RecordedConsoleWindow() != nullptr; }

// The value of an environment variable, nullopt when it is not set (or cannot be read).
std::optional<std::string> EnvironmentValue(const char* name) {
  return ReadGrowing([&](char* buffer, std::uint32_t size) { return ::GetEnvironmentVariableA(name, buffer, size); });
}

// cmd.exe along the executable search path (PATH only: not the working folder), or nullopt. A folder on the
// path may be a removable drive without a medium.
std::optional<std::string> CommandInterpreterOnPath() {
  const auto path = EnvironmentValue("PATH");
  if (!path) return std::nullopt;
  return ReadGrowing([&](char* buffer, std::uint32_t size) {
    return fs::WithoutMediaPrompt(
        [&] { return ::SearchPathA(path->c_str(), "cmd.exe", nullptr, size, buffer, nullptr); });
  });
}

win::UniqueFile OpenInheritable(const char* device, DWORD access) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return win::UniqueFile(
      ::CreateFileA(device, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
}

// Starts "program /c command" in this process's console and waits for it to end. 0 once it ran, else the
// error code of the failed start.
DWORD RunAndWait(const std::string& program, const char* command) {
  std::string line = InterpreterCommandLine(program, command);
  std::vector<char> writable(line.begin(), line.end());
  writable.push_back('\0');

  // The interpreter reads and writes the console itself, whatever the host's standard handles point at.
  const win::UniqueFile input = OpenInheritable("CONIN$", GENERIC_READ | GENERIC_WRITE);
  const win::UniqueFile output = OpenInheritable("CONOUT$", GENERIC_READ | GENERIC_WRITE);
  const bool console_handles = input && output;
  STARTUPINFOEXA startup{};
  startup.StartupInfo.cb = sizeof startup.StartupInfo;
  // The interpreter gets the two console handles and nothing else of the host's (files, pipes, events). Where
  // no handle list can be made it inherits as a plain CreateProcess would: the command still runs.
  const host::InheritOnly inherit({input.get(), output.get()});
  BOOL inherit_handles = FALSE;
  DWORD flags = 0;
  if (console_handles) {
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = input.get();
    startup.StartupInfo.hStdOutput = output.get();
    startup.StartupInfo.hStdError = output.get();
    inherit_handles = TRUE;
    if (inherit.get() != nullptr) {
      startup.StartupInfo.cb = sizeof startup;
      startup.lpAttributeList = inherit.get();
      flags = EXTENDED_STARTUPINFO_PRESENT;
    }
  }
  // No new process group: that would set "ignore Ctrl+C" in the command, and Ctrl+C must stop it. A host that
  // ignores Ctrl+C would hand that on too, so it honours Ctrl+C for the start alone.
  PROCESS_INFORMATION started{};
  {
    const host::CtrlCHonoured honoured;
    if (!::CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, inherit_handles, flags, nullptr, nullptr,
                          &startup.StartupInfo, &started))
      return ::GetLastError();
  }
  const win::UniqueHandle process(started.hProcess);
  const win::UniqueHandle thread(started.hThread);
  ::WaitForSingleObject(process.get(), INFINITE);
  return ERROR_SUCCESS;
}

// A close event from the console window ends the process whatever a handler answers, so a console of our
// own loses its close box. Windows lets another process change a console window's system menu; Wine gives
// no menu of a window of another process, and nothing changes.
void RemoveCloseBox(HWND console) {
  if (console == nullptr) return;
  const HMENU menu = ::GetSystemMenu(console, FALSE);
  if (menu == nullptr) return;
  ::DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
  ::DrawMenuBar(console);
}

}  // namespace

void OpenConsole() noexcept {
  if (HasConsole()) return;
  if (!::AllocConsole()) return;
  host::SurviveConsoleBreaks();
  // Text mode, as the console expects line ends; a failed reopen leaves writes failing quietly.
  std::freopen("CONOUT$", "w", stdout);
  const HWND console = ::GetConsoleWindow();
  RemoveCloseBox(console);
  host::RecordConsoleWindow(console);
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
    // cmd.exe stands in only for an interpreter that is not set, missing or denied; one that exists and
    // fails to start (say, a file that is no program) is what the user chose, and its failure stands.
    const auto comspec = EnvironmentValue("COMSPEC");
    if (comspec && !FallsBackToCmd(RunAndWait(ComspecProgram(*comspec), command))) return;
    if (const auto interpreter = CommandInterpreterOnPath()) RunAndWait(*interpreter, command);
  } catch (...) {
    // Out of memory while building the command line: nothing ran.
  }
}

}  // namespace hostkit::window
