#pragma once
// Files dropped on the host window: the capture reads each WM_DROPFILES into the drop record while drops are
// accepted; the script reads the record (Win32 layer over host/drop_record.h).
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace hostkit::host {

// Whether the capture takes WM_DROPFILES for itself. Off at load.
void SetDropsAccepted(bool on) noexcept;
bool DropsAccepted() noexcept;

// Reads every name of the drop, each with its own length, into the record, and releases the handle once.
void ReceiveDrop(HDROP drop);

// The names dropped since the last call, oldest drop first, joined by "|"; the record starts anew.
std::string TakeDroppedFiles();

}  // namespace hostkit::host
