#include "host/host_window.h"

#include <cstring>
#include <iterator>

#include "host/boundary.h"
#include "host/file_drops.h"
#include "host/lifetime.h"

namespace hostkit::host {
namespace {

HWND g_host_window = nullptr;
WNDPROC g_previous_proc = nullptr;
HWND g_console_window = nullptr;

// Written on the window's thread, read on any: each value is a plain aligned 32-bit word.
volatile LONG g_last_message = 0;
volatile LONG g_last_param_w = 0;
volatile LONG g_last_param_l = 0;
volatile LONG g_last_hit_test = -3;  // none of the platform's hit-test codes (HTERROR is -2)

bool IsHostClass(const char* name) noexcept {
  return std::strcmp(name, "OPENGLWINDOW") == 0 || std::strcmp(name, "QVRWINDOW") == 0;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Guard([&] {
    g_last_message = static_cast<LONG>(message);
    g_last_param_l = static_cast<LONG>(lparam);
    g_last_param_w = static_cast<LONG>(wparam);
    if (message == WM_NCHITTEST) {
      // Record what the system itself would answer, whatever the host's own procedure says.
      g_last_hit_test = static_cast<LONG>(::DefWindowProcA(window, message, wparam, lparam));
    }
  });
  // Dropped files, once accepted, are the library's: the handle is released on reading, so the message must not
  // reach the host's procedure after it.
  if (message == WM_DROPFILES && DropsAccepted()) {
    Guard([&] { ReceiveDrop(reinterpret_cast<HDROP>(wparam)); });
    return 0;
  }
  // The message goes on to the host's procedure whatever happened to its record.
  return ::CallWindowProcA(g_previous_proc, window, message, wparam, lparam);
}

}  // namespace

HWND FindHostWindow() noexcept {
  if (g_host_window != nullptr) return g_host_window;
  const DWORD self = ::GetCurrentProcessId();
  for (HWND window = ::GetTopWindow(::GetDesktopWindow()); window != nullptr;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    char name[256] = {};
    // The count includes the terminator; a longer name is cut, and so never equals either class.
    if (::GetClassNameA(window, name, static_cast<int>(std::size(name))) == 0) continue;
    DWORD owner = 0;  // stays 0 when the query fails, so such a window never matches
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == self && IsHostClass(name)) return window;
  }
  return nullptr;
}

int Init() noexcept {
  if (g_host_window != nullptr) return 1;
  g_console_window = ::GetConsoleWindow();
  if (g_console_window != nullptr) SurviveConsoleBreaks();
  g_host_window = FindHostWindow();
  if (g_host_window == nullptr) return 0;
  // From here the window calls into this module: a host's FreeLibrary must not unmap it.
  PinModule();
  // The previous procedure must be known before the replacement can receive its first message.
  g_previous_proc = reinterpret_cast<WNDPROC>(::GetWindowLongA(g_host_window, GWL_WNDPROC));
  ::SetWindowLongA(g_host_window, GWL_WNDPROC, reinterpret_cast<LONG>(&HostWindowProc));
  return 1;
}

int LastMessage() noexcept { return g_last_message; }
int LastHitTest() noexcept { return g_last_hit_test; }
int LastParamW() noexcept { return g_last_param_w; }
int LastParamL() noexcept { return g_last_param_l; }

HWND RecordedConsoleWindow() noexcept { return g_console_window; }
void RecordConsoleWindow(HWND console) noexcept { g_console_window = console; }

}  // namespace hostkit::host
