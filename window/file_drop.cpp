#include "window/file_drop.h"

#include <windows.h>

#include "host/file_drops.h"
#include "host/host_window.h"

namespace hostkit::window {

void EnableFileDrop(int on) {
  // The drops arrive through the message capture, which Init installs where the window appeared late, and
  // installs again on a window that replaced a destroyed one.
  if (host::Init() == 0) return;
  const HWND window = host::FindHostWindow();
  if (window == nullptr) return;
  host::SetDrops(window, on != 0);
}

std::string DroppedFiles() {
  host::FollowHostWindow();
  return host::PendingDroppedFiles();
}
void ForgetDroppedFiles(std::size_t length) { host::ForgetDroppedFiles(length); }

}  // namespace hostkit::window
