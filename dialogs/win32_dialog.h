#pragma once
// What the Win32 dialogs share: the placement step run from their hooks, and a guard for every procedure
// that the platform calls back (a throw through Win32 frames ends the host process with this toolchain).
#include <windows.h>

namespace hostkit::dialogs {

// Moves a freshly built dialog to the dialog position, or centres it on `frame` at (-1, -1), and makes it
// topmost. The frame is only read when centring.
void PlaceDialog(HWND dialog, HWND frame) noexcept;

// Runs a callback's work; anything thrown is swallowed and the callback answers `fallback`.
template <class Answer, class Body>
Answer CallbackGuard(Answer fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return fallback;
  }
}

}  // namespace hostkit::dialogs
