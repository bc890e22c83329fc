#pragma once
// Platform calls on a path that may name a removable drive without a medium: the system must fail them
// instead of showing its "insert a disk" box, which would block the host's script thread behind it.
#include <windows.h>

#include "host/win_handle.h"

namespace hostkit::fs {

// Runs the call with critical errors failed for this thread only, then restores the thread's mode.
// The call's result (including any error code read inside it) is computed before the mode is restored.
template <class Call>
auto WithoutMediaPrompt(Call&& call) {
  win::ScopedThreadErrorMode quiet(GetThreadErrorMode() | SEM_FAILCRITICALERRORS);
  return call();
}

}  // namespace hostkit::fs
