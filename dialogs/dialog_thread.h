#pragma once
// A thread of its own for a dialog that must not hold up the host's thread.
#include <functional>

namespace hostkit::dialogs {

// Runs `body` on a new thread with its own single-threaded COM apartment (the folder browser needs one; the host
// thread's apartment is left alone) and its own message queue, which the dialog's loop pumps. The thread holds a
// reference on this module for its whole life and leaves through FreeLibraryAndExitThread, so a host that frees
// the library meanwhile unloads it only once the last dialog thread is done. False when no thread could be
// started; `body` then never runs.
bool RunOnOwnThread(std::function<void()> body) noexcept;

}  // namespace hostkit::dialogs
