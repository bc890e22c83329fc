#include "window/file_drop.h"

#include <windows.h>
#include <shellapi.h>

#include "host/file_drops.h"
#include "host/host_window.h"

namespace hostkit::window {

void EnableFileDrop(int on) {
  // The drops arrive through the message capture, which Init installs (once) where the window appeared late.
  if (host::Init() == 0) return;
  const HWND window = host::FindHostWindow();
  host::SetDropsAccepted(on != 0);
  ::DragAcceptFiles(window, on != 0 ? TRUE : FALSE);
}

std::string DroppedFiles() { return host::TakeDroppedFiles(); }

}  // namespace hostkit::window
