#include "window/shell_open.h"

#include <windows.h>
#include <shellapi.h>

#include "host/win_handle.h"
#include "window/shell_codes.h"

namespace hostkit::window {

int ShellOpen(const char* target, const char* parameters) {
  if (*target == '\0') return ERROR_INVALID_PARAMETER;
  // The shell may hand the start to COM objects (handlers, shell extensions); it asks for an apartment thread.
  win::ScopedComInit com(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  // NOASYNC: the start is complete when the call returns, so nothing runs on after this call's COM is released.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpFile = target;
  info.lpParameters = *parameters != '\0' ? parameters : nullptr;
  info.nShow = SW_SHOWNORMAL;
  // A code left by an earlier call must not pass for this call's.
  SetLastError(0);
  if (ShellExecuteExA(&info)) return 0;
  const DWORD last_error = GetLastError();
  return ShellExecuteCode(reinterpret_cast<std::intptr_t>(info.hInstApp), last_error);
}

}  // namespace hostkit::window
