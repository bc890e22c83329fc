#pragma once
// Helpers for tests of modal dialogs: waiting for a dialog that is ready, dismissing a series of them, the
// process's resource counters, and the folder listing that Wine's folder browser needs before a preselection.
#include <windows.h>

#include <string>

#include "tests/e2e/harness/window_driver.h"

namespace e2e {

// Queries for this process's visible windows of a class, with a title or an owner.
WindowQuery OfClass(const std::string& class_name);
WindowQuery Titled(const std::string& class_name, const std::string& title);
WindowQuery OwnedBy(const std::string& class_name, HWND owner);

// Waits for the window and for its thread to sit in its modal loop (its init hooks have run); null on timeout.
HWND WaitForDialog(const WindowQuery& query, DWORD timeout_ms = 5000);

// Cancels `count` dialogs that fit the query, one after another, each once it is ready and until it is gone.
// Returns how many it cancelled.
int CancelEach(const WindowQuery& query, int count, int cancel_id = IDCANCEL);

// What a process holds. Wine 8 answers 0 to GetProcessHandleCount, to the private-usage field of
// GetProcessMemoryInfo and to GetGuiResources, so the counts are taken by other means: the handle table is probed
// entry by entry, private memory is the committed private regions of the address space, and the windows of the
// process stand in for its USER objects. A count that cannot be taken reads -1.
struct ProcessCounters {
  long handles = -1;
  long long private_bytes = -1;
  long windows = -1;
  long gdi_objects = -1;   // GetGuiResources, where it answers
  long user_objects = -1;  // GetGuiResources, where it answers
};
ProcessCounters MeasureProcess();

// Lists every folder from the root down to `path`, so that Wine's folder IDs (which include the last-access
// time, changed by the first listing after a change) stay stable while a folder browser preselects `path`.
void ListFoldersOnPath(const std::string& path);

// Moves a top-level window so that its outer top-left corner is at (x, y), keeping its size.
void MoveWindowTo(HWND window, int x, int y);

}  // namespace e2e
