#pragma once
// Files dropped on the host window: the capture reads each WM_DROPFILES into the drop record while drops are
// accepted; the script reads the record (Win32 layer over host/drop_record.h).
#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <string>

namespace hostkit::host {

// Turns the library's drops on or off for the host window. On: the window gets the accept-files style and the
// capture takes WM_DROPFILES for itself. Off: the style goes only where "on" added it, so a host window that
// accepted drops itself keeps it, and its drops reach its own procedure again. Off at load.
void SetDrops(HWND window, bool on);
bool DropsAccepted() noexcept;

// The drop settings of a host window that replaces a destroyed one.
void MoveDropSettings(HWND window);

// The capture's part in a WM_DROPFILES: true when the message is handled here (recorded while drops are
// accepted, or finished for a window that takes no drops itself), false when it goes on to the host.
bool TakeDropMessage(HWND window, HDROP drop);

// Reads every name of the drop, each with its own length, into the record, and releases the handle once.
void ReceiveDrop(HDROP drop);

// The names dropped and not yet taken, oldest drop first, joined by "|".
std::string PendingDroppedFiles();
// Forgets the first `length` bytes of what PendingDroppedFiles gave, once the script has them.
void ForgetDroppedFiles(std::size_t length);

}  // namespace hostkit::host
