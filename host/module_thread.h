#pragma once
// A thread of hostkit's that an unload never pulls code from under: it holds a reference on this module for its whole
// life and leaves through FreeLibraryAndExitThread, so a host that frees the library meanwhile unloads it only once
// the last such thread is done. Nothing ever waits for it under the loader lock.
#include <functional>

namespace hostkit::host {

// Runs `body` (behind the guard) on a new thread. False when no thread could be started; `body` then never runs.
bool RunOnModuleThread(std::function<void()> body) noexcept;

}  // namespace hostkit::host
