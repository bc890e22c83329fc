#pragma once
// What the Win32 dialogs share: the placement step run from their hooks. Every procedure that the platform
// calls back runs its work through hostkit::Guard (host/boundary.h).
#include <windows.h>

#include "dialogs/placement.h"
#include "host/boundary.h"

namespace hostkit::dialogs {

// Moves a freshly built dialog to the dialog position, or centres it on `frame` (the desktop when null) at
// (-1, -1), keeps it on screen and makes it topmost. The frame is only read when centring. On screen: inside the
// work area of the frame's monitor when centred, else of the monitor nearest to the position, moved only as far
// as needed (a dialog placed off every monitor would leave a modal game waiting for an answer nobody can see).
void PlaceDialog(HWND dialog, HWND frame) noexcept;
// The same at a position fixed earlier (`at` as DialogPosition gave it then).
void PlaceDialogAt(HWND dialog, HWND frame, Point at) noexcept;
// Where a window of the given outer size placed at `at` lies on screen: inside the work area of the monitor
// nearest to it, moved only as far as needed. For a window made at its place (the date and time picker).
Point KeptOnScreen(Point at, int width, int height) noexcept;

}  // namespace hostkit::dialogs
