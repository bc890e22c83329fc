#include "window/pointer.h"

#include <windows.h>

#include <optional>

#include "host/host_window.h"
#include "window/mouse_buttons.h"

namespace hostkit::window {
namespace {

constexpr int kClientSpace = 1;

// Each call reads the position afresh, so an x and a y read one after the other may come from two moments.
std::optional<POINT> CursorIn(int space) noexcept {
  POINT at{};
  if (!::GetCursorPos(&at)) return std::nullopt;
  if (space == kClientSpace) {
    if (const HWND window = host::FindHostWindow()) ::ScreenToClient(window, &at);
  }
  return at;
}

}  // namespace

int CursorX(int space) noexcept {
  const auto at = CursorIn(space);
  return at ? at->x : -1;
}

int CursorY(int space) noexcept {
  const auto at = CursorIn(space);
  return at ? at->y : -1;
}

int MouseButtons() noexcept {
  return MouseButtonMask([](int virtual_key) -> short { return ::GetKeyState(virtual_key); });
}

}  // namespace hostkit::window
