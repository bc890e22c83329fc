// The dialog position on the screen and the placement step of every dialog of the subsystem.
#include <climits>

#include "dialogs/dialog_job.h"
#include "dialogs/dialogs.h"
#include "dialogs/placement.h"
#include "dialogs/win32_dialog.h"
#include "host/host_window.h"

namespace hostkit::dialogs {
namespace {

Box OuterBox(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return {r.left, r.top, r.right, r.bottom};
}

Box WorkArea(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetMonitorInfoA(monitor, &info)) return {INT_MIN, INT_MIN, INT_MAX, INT_MAX};  // nothing to keep inside
  return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

// The rectangle a window of this size would cover at `at`, cut to the int range.
RECT Covered(Point at, int width, int height) {
  const Point end = OffsetFrom({at.x, at.y, 0, 0}, width, height);
  return {at.x, at.y, end.x, end.y};
}

}  // namespace

void SetDialogPosition(int x, int y) {
  const HWND host = host::FindHostWindow();
  RECT r{};
  if (host == nullptr || !::GetWindowRect(host, &r)) return;
  StoreDialogPosition(OffsetFrom({r.left, r.top, r.right, r.bottom}, x, y));
}

void PlaceDialog(HWND dialog, HWND frame) noexcept { PlaceDialogAt(dialog, frame, DialogPosition()); }

void PlaceDialogAt(HWND dialog, HWND frame, Point at) noexcept {
  const Box box = OuterBox(dialog);
  const int width = box.right - box.left, height = box.bottom - box.top;
  if (IsCentreMarker(at)) {
    const HWND centre_on = frame != nullptr ? frame : ::GetDesktopWindow();
    at = CentreOn(OuterBox(centre_on), box);
    at = KeptInside(at, width, height, WorkArea(::MonitorFromWindow(centre_on, MONITOR_DEFAULTTONEAREST)));
  } else {
    at = KeptOnScreen(at, width, height);
  }
  ::SetWindowPos(dialog, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE);
}

Point KeptOnScreen(Point at, int width, int height) noexcept {
  const RECT covered = Covered(at, width, height);
  return KeptInside(at, width, height, WorkArea(::MonitorFromRect(&covered, MONITOR_DEFAULTTONEAREST)));
}

Placement PlacementNow(HWND frame) { return {DialogPosition(), frame}; }

}  // namespace hostkit::dialogs
