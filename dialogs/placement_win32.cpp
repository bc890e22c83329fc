// The dialog position on the screen and the placement step of every dialog of the subsystem.
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

}  // namespace

void SetDialogPosition(int x, int y) {
  const HWND host = host::FindHostWindow();
  RECT r{};
  if (host == nullptr || !::GetWindowRect(host, &r)) return;
  StoreDialogPosition(OffsetFrom({r.left, r.top, r.right, r.bottom}, x, y));
}

void PlaceDialog(HWND dialog, HWND frame) noexcept { PlaceDialogAt(dialog, frame, DialogPosition()); }

void PlaceDialogAt(HWND dialog, HWND frame, Point at) noexcept {
  if (IsCentreMarker(at)) at = CentreOn(OuterBox(frame != nullptr ? frame : ::GetDesktopWindow()), OuterBox(dialog));
  ::SetWindowPos(dialog, HWND_TOPMOST, at.x, at.y, 0, 0, SWP_NOSIZE);
}

Placement PlacementNow(HWND frame) { return {DialogPosition(), frame}; }

}  // namespace hostkit::dialogs
