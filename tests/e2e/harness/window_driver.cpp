#include "tests/e2e/harness/window_driver.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/win_handle.h"

namespace e2e {
namespace {

struct Search {
  const WindowQuery* query;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  const WindowQuery& q = *search->query;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != q.process) return TRUE;
  if (q.visible && !IsWindowVisible(window)) return TRUE;
  if (!q.class_name.empty() && ClassOf(window) != q.class_name) return TRUE;
  if (q.title && WindowText(window) != *q.title) return TRUE;
  if (q.owner != nullptr && GetWindow(window, GW_OWNER) != q.owner) return TRUE;
  search->found = window;
  return FALSE;
}

struct HelperContext {
  const std::function<void()>* helper;
};

DWORD WINAPI HelperThread(LPVOID context) {
  try {
    (*static_cast<HelperContext*>(context)->helper)();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "helper threw: " << e.what();
  } catch (...) {
    ADD_FAILURE() << "helper threw";
  }
  return 0;
}

BOOL CALLBACK CloseDialogs(HWND window, LPARAM) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(window) && IsWindowEnabled(window)) {
    const std::string cls = ClassOf(window);
    if (cls == "#32770" || cls == "DateTimeDlg") {
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      PostMessageA(window, WM_CLOSE, 0, 0);
    }
  }
  return TRUE;
}

struct WatchdogContext {
  HANDLE done;
  DWORD timeout_ms;
  bool fired;
};

// Closes this process's dialogs once the time is up, then keeps closing them for a while; ends when told,
// or after five more seconds, when the caller gives up on its helper.
DWORD WINAPI WatchdogThread(LPVOID raw) {
  auto* context = static_cast<WatchdogContext*>(raw);
  if (WaitForSingleObject(context->done, context->timeout_ms) == WAIT_OBJECT_0) return 0;
  context->fired = true;
  // Until the body is done: it may go on opening dialogs once the helper has given up.
  do {
    EnumWindows(&CloseDialogs, 0);
  } while (WaitForSingleObject(context->done, 100) != WAIT_OBJECT_0);
  return 0;
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

}  // namespace

hostkit::win::UniqueWindow MakeWindow(const char* class_name, RECT place) {
  WNDCLASSA cls{};
  cls.lpfnWndProc = &PlainProc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = class_name;
  RegisterClassA(&cls);  // a second window of the class reuses it
  return hostkit::win::UniqueWindow(
      CreateWindowExA(0, class_name, class_name, WS_OVERLAPPEDWINDOW | WS_VISIBLE, place.left, place.top,
                      place.right - place.left, place.bottom - place.top, nullptr, nullptr, cls.hInstance, nullptr));
}

HWND WaitForWindow(const WindowQuery& query, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search search{&query, nullptr};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    if (GetTickCount() - start > timeout_ms) return nullptr;
    Sleep(10);
  }
}

bool WaitForClose(HWND window, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (IsWindow(window)) {
    if (GetTickCount() - start > timeout_ms) return false;
    Sleep(10);
  }
  return true;
}

bool WaitUntilIdle(HWND window, DWORD timeout_ms) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeout_ms, &answer) != 0;
}

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

std::string WindowText(HWND window) {
  // The count excludes the terminator.
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, static_cast<int>(std::size(name)));
  return name;
}

void SetControlText(HWND dialog, int control_id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, control_id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string ControlText(HWND dialog, int control_id) { return WindowText(GetDlgItem(dialog, control_id)); }

void PressButton(HWND dialog, int control_id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(control_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, control_id)));
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < ms);
}

void WithHelper(const std::function<void()>& helper, const std::function<void()>& body, DWORD timeout_ms) {
  HelperContext context{&helper};
  hostkit::win::UniqueHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  WatchdogContext watchdog_context{done.get(), timeout_ms, false};
  hostkit::win::UniqueHandle watchdog(CreateThread(nullptr, 0, &WatchdogThread, &watchdog_context, 0, nullptr));
  hostkit::win::UniqueHandle thread(CreateThread(nullptr, 0, &HelperThread, &context, 0, nullptr));
  ASSERT_TRUE(thread && watchdog && done) << "cannot start the helper threads";
  body();
  for (;;) {
    const HANDLE handles[] = {thread.get()};
    const DWORD wait = MsgWaitForMultipleObjects(1, handles, FALSE, 50, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) break;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (WaitForSingleObject(watchdog.get(), 0) == WAIT_OBJECT_0) {
      TerminateThread(thread.get(), 1);  // last resort: a stuck helper must not hang the suite
      break;
    }
  }
  SetEvent(done.get());
  WaitForSingleObject(watchdog.get(), INFINITE);
  EXPECT_FALSE(watchdog_context.fired) << "a dialog was still open after " << timeout_ms << " ms";
}

}  // namespace e2e
