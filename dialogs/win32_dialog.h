#pragma once
// What the Win32 dialogs share: the placement step run from their hooks. Every procedure that the platform
// calls back runs its work through hostkit::Guard (host/boundary.h).
#include <windows.h>

#include "dialogs/placement.h"
#include "host/boundary.h"

namespace hostkit::dialogs {

// Moves a freshly built dialog to the dialog position, or centres it on `frame` at (-1, -1), and makes it
// topmost. The frame is only read when centring.
void PlaceDialog(HWND dialog, HWND frame) noexcept;
// The same at a position fixed earlier (`at` as DialogPosition gave it then).
void PlaceDialogAt(HWND dialog, HWND frame, Point at) noexcept;

}  // namespace hostkit::dialogs
