#include "host/lifetime.h"

#include <windows.h>
#include <winternl.h>

#include "host/boundary.h"

namespace hostkit::host {
namespace {

// Runs on a thread that the system starts for the event. TRUE ends the event here; FALSE passes it on, down to
// the default handler, which ends the process. A close, log-off or shut-down event cannot be refused anyway.
BOOL WINAPI ConsoleBreakHandler(DWORD event) noexcept {
  return Guard([&] { return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE; }, FALSE);
}

}  // namespace

void PinModule() noexcept {
  static const bool pinned = [] {
    HMODULE self = nullptr;
    // The address names the module. A pinned module is never unloaded, so the handle needs no FreeLibrary.
    return ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                reinterpret_cast<LPCSTR>(&PinModule), &self) != 0;
  }();
  (void)pinned;
}

void SurviveConsoleBreaks() noexcept {
  static const bool installed = [] {
    PinModule();  // the handler lives in this module
    // A handler, not the process's "ignore Ctrl+C" flag: that flag is inherited by every process started from
    // here. A flag the host was started with stays as it is: it is the host's, and what the host starts later
    // inherits it as the host meant (a console command clears it around its own start only).
    return ::SetConsoleCtrlHandler(&ConsoleBreakHandler, TRUE) != 0;
  }();
  (void)installed;
}

// GCC 12 takes NtCurrentTeb's read at fs:0x18 for an access of a zero-length array (-Warray-bounds).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
bool IgnoresCtrlC() noexcept {
  // No function reads the flag back. It is bit 0 of the console flags in the process parameters, the word that
  // SetConsoleCtrlHandler(nullptr, ...) writes and CreateProcess hands on (Windows and Wine alike); the
  // documented structure names the leading fields only as reserved bytes.
  struct ParametersHead {
    ULONG maximum_length, length, flags, debug_flags;
    HANDLE console_handle;
    ULONG console_flags;
  };
  const auto* head =
      reinterpret_cast<const ParametersHead*>(NtCurrentTeb()->ProcessEnvironmentBlock->ProcessParameters);
  return head != nullptr && (head->console_flags & 1) != 0;
}
#pragma GCC diagnostic pop

CtrlCHonoured::CtrlCHonoured() noexcept : restore_(IgnoresCtrlC() && ::SetConsoleCtrlHandler(nullptr, FALSE) != 0) {}

CtrlCHonoured::~CtrlCHonoured() {
  if (restore_) ::SetConsoleCtrlHandler(nullptr, TRUE);
}

}  // namespace hostkit::host
