#include "host/message_window.h"

#include <utility>

#include "host/win_handle.h"

namespace hostkit::host {
namespace {

// Plain values: the window is destroyed by the unload alone, never by the end of the process (when the thread
// that made it may be gone).
HWND g_window = nullptr;
DWORD g_thread = 0;

}  // namespace

HWND MessageWindow() noexcept {
  if (g_window == nullptr) {
    // The system's own class: nothing to register, and its procedure is user32's.
    g_window = ::CreateWindowExA(0, "STATIC", "hostkit", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_thread = ::GetCurrentThreadId();
  }
  return g_window;
}

void DestroyMessageWindow() noexcept {
  const HWND window = std::exchange(g_window, nullptr);
  // Another thread's window cannot be destroyed from here; it goes with its thread.
  if (window != nullptr && g_thread == ::GetCurrentThreadId()) {
    const win::UniqueWindow owned(window);
  }
}

}  // namespace hostkit::host
