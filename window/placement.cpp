#include "window/placement.h"

#include <windows.h>

#include <cstdint>

#include "host/host_window.h"

namespace hostkit::window {
namespace {

// Keep position, size and stacking order; recompute and redraw the frame now. Without SWP_NOACTIVATE the call
// also activates an inactive window, and activation raises it above its siblings despite SWP_NOZORDER.
constexpr UINT kAfterStyleChange =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER;
// The same; when the window belongs to another thread, do not wait for that thread to apply it.
constexpr UINT kAfterExStyleChange = kAfterStyleChange | SWP_ASYNCWINDOWPOS;

void ReplaceStyle(int index, long value, HWND insert_after, UINT flags) noexcept {
  const HWND window = host::FindHostWindow();
  if (window == nullptr) return;
  ::SetWindowLongA(window, index, value);
  // With SWP_NOZORDER in the flags the insert-after value has no effect.
  ::SetWindowPos(window, insert_after, 0, 0, 0, 0, flags);
}

int OuterEdge(LONG RECT::*edge) noexcept {
  const HWND window = host::FindHostWindow();
  RECT outer{};
  if (window == nullptr || !::GetWindowRect(window, &outer)) return -1;
  return outer.*edge;
}

}  // namespace

void SetStyle(long style) noexcept { ReplaceStyle(GWL_STYLE, style, HWND_TOP, kAfterStyleChange); }

void SetExStyle(long ex_style) noexcept { ReplaceStyle(GWL_EXSTYLE, ex_style, HWND_TOPMOST, kAfterExStyleChange); }

void SetPosition(int x, int y, int insert_after, int width, int height, int flags) noexcept {
  const HWND window = host::FindHostWindow();
  if (window == nullptr) return;
  // The insert-after value is a window handle or one of HWND_TOP 0, HWND_BOTTOM 1, HWND_TOPMOST -1,
  // HWND_NOTOPMOST -2; the platform rejects a handle that names no window.
  const auto after = reinterpret_cast<HWND>(static_cast<std::intptr_t>(insert_after));
  ::SetWindowPos(window, after, x, y, width, height, static_cast<UINT>(flags));
}

int WindowLeft() noexcept { return OuterEdge(&RECT::left); }
int WindowTop() noexcept { return OuterEdge(&RECT::top); }

}  // namespace hostkit::window
