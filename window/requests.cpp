#include "window/requests.h"

#include <windows.h>

#include "host/result.h"
#include "window/command_line.h"

namespace hostkit::window {

char* CommandLineResult() {
  char* result = host::TextResult(::GetCommandLineA());
  BarSeparateArguments(result);  // edits the host's buffer in place; leaves a null result alone
  return result;
}

int Request(const char* text, const char* caption, int flags) noexcept {
  // No owner: the host window stays enabled while the box runs its own message loop.
  return ::MessageBoxA(nullptr, text, caption, static_cast<UINT>(flags));
}

}  // namespace hostkit::window
