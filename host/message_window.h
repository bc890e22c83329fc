#pragma once
// A message-only window of the library's own: the clipboard's owner, which needs no host window and outlives it.
#include <windows.h>

namespace hostkit::host {

// The window, made once on the first thread that asks (a "STATIC" window with HWND_MESSAGE as its parent, so
// that no code of this module runs in it and it stays harmless after an unload). Null when it cannot be made.
HWND MessageWindow() noexcept;

// Destroys the window where the calling thread made it (a window can only be destroyed by its thread): called
// when the module is unloaded, so that loads and unloads without end do not leave a window each.
void DestroyMessageWindow() noexcept;

}  // namespace hostkit::host
