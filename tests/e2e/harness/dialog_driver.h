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

// Types into a file dialog's name box. The hook dialogs (the modal twins) have cmb13 (0x47C, a ComboBoxEx32 under
// Wine). Wine 8's item dialog (the asynchronous twins' IFileOpenDialog/IFileSaveDialog) is a "#32770" of its own
// template, measured by listing its children: the name box is an Edit 0x480 (edt1) under a "File name:" static
// 0x442; the type combo is a ComboBox 0x470 (cmb1, as in the hook dialogs); IDOK ("&Open" or "&Save") and IDCANCEL
// are the buttons; the folder view is an ExplorerBrowserControl, there is no "Look in" combo, and
// CDM_GETFOLDERPATH does not answer. Windows's item dialog keeps cmb13.
void TypeFileName(HWND dialog, const std::string& text);

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
