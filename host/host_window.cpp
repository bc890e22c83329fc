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
// Whether the host window takes its messages in UTF-16 (IsWindowUnicode): the capture is installed and the host's
// procedure called in the window's own set, so that no text message passes through the ANSI code page on its way.
bool g_previous_unicode = false;
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
  // reach the host's procedure after it (nor one that arrives late, for a window that takes no drops itself).
  if (message == WM_DROPFILES &&
      Guard([&] { return TakeDropMessage(window, reinterpret_cast<HDROP>(wparam)); }, false)) {
    return 0;
  }
  // The message goes on to the host's procedure whatever happened to its record, in the set it came in.
  return g_previous_unicode ? ::CallWindowProcW(g_previous_proc, window, message, wparam, lparam)
                            : ::CallWindowProcA(g_previous_proc, window, message, wparam, lparam);
}

// Whether the window is a host window of this process: its owner is this process and its class one of the two.
bool IsHostWindow(HWND window) noexcept {
  char name[256] = {};
  // The count includes the terminator; a longer name is cut, and so never equals either class.
  if (::GetClassNameA(window, name, static_cast<int>(std::size(name))) == 0) return false;
  DWORD owner = 0;  // stays 0 when the query fails, so such a window never matches
  ::GetWindowThreadProcessId(window, &owner);
  return owner == ::GetCurrentProcessId() && IsHostClass(name);
}

HWND SearchHostWindow() noexcept {
  for (HWND window = ::GetTopWindow(::GetDesktopWindow()); window != nullptr;
       window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (IsHostWindow(window)) return window;
  }
  return nullptr;
}

// Caches the window and installs the capture on it, and the drop settings with it.
void Bind(HWND window) noexcept {
  // From here the window calls into this module: a host's FreeLibrary must not unmap it.
  PinModule();
  // The previous procedure must be known before the replacement can receive its first message. A window that
  // already has the replacement keeps it: chained onto itself it would call itself for ever. The A forms would
  // make a Unicode window an ANSI one (a WM_CHAR of a character outside the code page reached the host as '?'),
  // so a Unicode window is read and set through the W forms, and its procedure is called through them.
  const bool unicode = ::IsWindowUnicode(window) != FALSE;
  const auto current = reinterpret_cast<WNDPROC>(unicode ? ::GetWindowLongPtrW(window, GWLP_WNDPROC)
                                                         : ::GetWindowLongPtrA(window, GWLP_WNDPROC));
  if (current != &HostWindowProc) {
    g_previous_proc = current;
    g_previous_unicode = unicode;
    const auto replacement = reinterpret_cast<LONG_PTR>(&HostWindowProc);
    if (unicode)
      ::SetWindowLongPtrW(window, GWLP_WNDPROC, replacement);
    else
      ::SetWindowLongPtrA(window, GWLP_WNDPROC, replacement);
  }
  g_host_window = window;
  Guard([&] { MoveDropSettings(window); });
}

}  // namespace

HWND FindHostWindow() noexcept {
  // Before a successful Init every call searches afresh and nothing is cached.
  if (g_host_window == nullptr) return SearchHostWindow();
  if (IsHostWindow(g_host_window)) return g_host_window;
  // The host destroyed its window (a change of display mode, a restart of its renderer) and may have made
  // another: the capture and the drop settings move to it.
  const HWND found = SearchHostWindow();
  if (found != nullptr) Bind(found);
  return found;
}

int Init() noexcept {
  if (g_host_window != nullptr) return FindHostWindow() != nullptr ? 1 : 0;
  g_console_window = ::GetConsoleWindow();
  if (g_console_window != nullptr) SurviveConsoleBreaks();
  const HWND found = SearchHostWindow();
  if (found == nullptr) return 0;
  Bind(found);
  return 1;
}

void FollowHostWindow() noexcept {
  if (g_host_window != nullptr) FindHostWindow();
}

// A script that only polls the record still gets the messages of a window made anew.
int LastMessage() noexcept {
  FollowHostWindow();
  return g_last_message;
}
int LastHitTest() noexcept {
  FollowHostWindow();
  return g_last_hit_test;
}
int LastParamW() noexcept {
  FollowHostWindow();
  return g_last_param_w;
}
int LastParamL() noexcept {
  FollowHostWindow();
  return g_last_param_l;
}

HWND RecordedConsoleWindow() noexcept { return g_console_window; }
void RecordConsoleWindow(HWND console) noexcept { g_console_window = console; }

}  // namespace hostkit::host
