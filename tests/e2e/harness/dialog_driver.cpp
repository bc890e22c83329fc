#include "tests/e2e/harness/dialog_driver.h"

#include <cstdint>

#include "host/win_handle.h"
#include "tests/e2e/harness/process_memory.h"

namespace e2e {

WindowQuery OfClass(const std::string& class_name) {
  WindowQuery q;
  q.class_name = class_name;
  return q;
}
WindowQuery Titled(const std::string& class_name, const std::string& title) {
  WindowQuery q = OfClass(class_name);
  q.title = title;
  return q;
}
WindowQuery OwnedBy(const std::string& class_name, HWND owner) {
  WindowQuery q = OfClass(class_name);
  q.owner = owner;
  return q;
}

HWND WaitForDialog(const WindowQuery& query, DWORD timeout_ms) {
  const HWND dialog = WaitForWindow(query, timeout_ms);
  if (dialog == nullptr || !WaitUntilIdle(dialog, timeout_ms)) return nullptr;
  return dialog;
}

int CancelEach(const WindowQuery& query, int count, int cancel_id) {
  int cancelled = 0;
  for (; cancelled < count; ++cancelled) {
    const HWND dialog = WaitForDialog(query);
    if (dialog == nullptr) break;
    // A press that comes while the dialog still sets itself up can be lost (seen under Wine 10 with the file
    // dialogs, one cycle in a few hundred): press again until it closes.
    bool closed = false;
    for (int press = 0; press < 10 && !closed; ++press) {
      PressButton(dialog, cancel_id);
      closed = WaitForClose(dialog, 500);
    }
    if (!closed) break;
  }
  return cancelled;
}

void TypeFileName(HWND dialog, const std::string& text) {
  constexpr int kHookNameBox = 0x47C;
  constexpr int kItemNameBox = 0x480;
  SetControlText(dialog, GetDlgItem(dialog, kHookNameBox) != nullptr ? kHookNameBox : kItemNameBox, text);
}

namespace {

// Kernel handles are multiples of 4; Wine hands out the lowest free entry first, so a scan of the first
// 64K entries covers any test process.
long CountHandles() {
  long count = 0;
  for (std::uintptr_t value = 4; value < 4 * 65536; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}

BOOL CALLBACK CountOwnWindows(HWND window, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == GetCurrentProcessId()) {
    ++*reinterpret_cast<long*>(count);
    EnumChildWindows(window, &CountChild, count);
  }
  return TRUE;
}

}  // namespace

ProcessCounters MeasureProcess() {
  ProcessCounters c;
  c.handles = CountHandles();
  c.private_bytes = CommittedPrivateBytes();
  long windows = 0;
  EnumWindows(&CountOwnWindows, reinterpret_cast<LPARAM>(&windows));
  c.windows = windows;
  if (const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) c.gdi_objects = static_cast<long>(gdi);
  if (const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) c.user_objects = static_cast<long>(user);
  return c;
}

void ListFoldersOnPath(const std::string& path) {
  for (std::size_t end = path.find('\\'); end != std::string::npos || !path.empty(); end = path.find('\\', end + 1)) {
    const std::string folder = end == std::string::npos ? path : path.substr(0, end + 1);
    WIN32_FIND_DATAA entry;
    hostkit::win::UniqueFind find(FindFirstFileA((folder + (folder.back() == '\\' ? "*" : "\\*")).c_str(), &entry));
    while (find && FindNextFileA(find.get(), &entry)) {
    }
    if (end == std::string::npos) break;
  }
}

void MoveWindowTo(HWND window, int x, int y) {
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace e2e
