#pragma once
// A message-only window for one call: the clipboard's owner, which needs no host window.
#include "host/win_handle.h"

namespace hostkit::host {

// A "STATIC" window with HWND_MESSAGE as its parent, made on the calling thread (the system's own class: nothing
// to register, and no code of this module runs in it). Only its thread can destroy it, and a thread's windows go
// with the thread, so a window kept across calls died with the first thread that used it (the clipboard then
// answered 1400 on every thread) and could not be destroyed by an unload on another thread: the caller owns it and
// it is destroyed before the call returns. Empty when it cannot be made.
win::UniqueWindow MakeMessageWindow() noexcept;

}  // namespace hostkit::host
