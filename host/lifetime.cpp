#include "host/lifetime.h"

#include <windows.h>

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
    // here, and a command run in the console must still stop on Ctrl+C. A flag the host was started with is
    // cleared for the same reason (measured under Wine: with it left set, a command ignored every Ctrl+C);
    // the handler covers the host itself.
    const bool ok = ::SetConsoleCtrlHandler(&ConsoleBreakHandler, TRUE) != 0;
    if (ok) ::SetConsoleCtrlHandler(nullptr, FALSE);
    return ok;
  }();
  (void)installed;
}

}  // namespace hostkit::host
