#include "window/requests.h"

#include <windows.h>

#include "window/command_line.h"

namespace hostkit::window {

std::string CommandLine() {
  std::string text = ::GetCommandLineA();
  BarSeparateArguments(text.data());
  return text;
}

int Request(const char* text, const char* caption, int flags) noexcept {
  // No owner: the host window stays enabled while the box runs its own message loop.
  return ::MessageBoxA(nullptr, text, caption, static_cast<UINT>(flags));
}

}  // namespace hostkit::window
