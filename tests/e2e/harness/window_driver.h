#pragma once
// Drives windows from a second thread while the thread under test sits in a modal loop.
#include <windows.h>

#include "host/win_handle.h"

#include <functional>
#include <optional>
#include <string>

namespace e2e {

struct WindowQuery {
  DWORD process = GetCurrentProcessId();
  std::string class_name;            // exact; empty matches any
  std::optional<std::string> title;  // exact when given
  HWND owner = nullptr;              // required owner when given
  bool visible = true;
};

// A visible top-level window of this process with its own class (registered on first use) and the plain
// default procedure; the title is the class name.
hostkit::win::UniqueWindow MakeWindow(const char* class_name, RECT place = {10, 10, 210, 160});

// The first top-level window that fits, polling until the timeout; null when none appeared.
HWND WaitForWindow(const WindowQuery& query, DWORD timeout_ms = 5000);
// Waits until the window is gone (or the timeout passes); true when it is gone.
bool WaitForClose(HWND window, DWORD timeout_ms = 5000);

// Returns once the window's thread sits in its message loop, so its initialisation has run.
bool WaitUntilIdle(HWND window, DWORD timeout_ms = 5000);

RECT WindowRect(HWND window);
bool IsTopmost(HWND window);
std::string WindowText(HWND window);
std::string ClassOf(HWND window);

void SetControlText(HWND dialog, int control_id, const std::string& text);
std::string ControlText(HWND dialog, int control_id);
// Posts a button press (a posted press never blocks on a nested modal box).
void PressButton(HWND dialog, int control_id);

// Runs `body` on this thread while `helper` runs on another; waits for the helper afterwards while pumping this
// thread's messages, so a SendMessage from the helper cannot deadlock. The helper's failures are reported through
// gtest from the helper thread; the watchdog closes dialogs of this process that are still open after `timeout_ms`.
void WithHelper(const std::function<void()>& helper, const std::function<void()>& body, DWORD timeout_ms = 20000);

// Pumps this thread's messages for the given time.
void PumpFor(DWORD ms);

}  // namespace e2e
