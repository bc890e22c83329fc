// The dialog threads: the module's own threads, each in an apartment of its own.
#include "dialogs/dialog_thread.h"

#include <windows.h>
#include <objbase.h>

#include "host/boundary.h"
#include "host/module_thread.h"
#include "host/win_handle.h"

namespace hostkit::dialogs {

bool RunOnOwnThread(std::function<void()> body) noexcept {
  return host::RunOnModuleThread([body = std::move(body)]() mutable {
    // What the body holds goes before the apartment does.
    const win::ScopedComInit com(COINIT_APARTMENTTHREADED);
    Guard(body);
    body = nullptr;
  });
}

}  // namespace hostkit::dialogs
