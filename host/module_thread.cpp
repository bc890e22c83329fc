// The module's own threads: a module reference taken before the thread starts and given back as it ends.
#include "host/module_thread.h"

#include <windows.h>

#include <memory>

#include "host/boundary.h"
#include "host/win_handle.h"

namespace hostkit::host {
namespace {

struct ThreadStart {
  HMODULE module;
  std::function<void()> body;
};

DWORD WINAPI ModuleThreadMain(void* parameter) {
  HMODULE module = nullptr;
  {
    // Everything the thread owns ends in here, before the module reference goes.
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    module = start->module;
    Guard(start->body);
    start->body = nullptr;
  }
  // The last reference may unmap this code: FreeLibraryAndExitThread never returns into it.
  ::FreeLibraryAndExitThread(module, 0);
}

}  // namespace

bool RunOnModuleThread(std::function<void()> body) noexcept {
  return Guard(
      [&] {
        HMODULE module = nullptr;
        if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ModuleThreadMain),
                                  &module))
          return false;
        win::UniqueModule reference(module);  // given back here unless the thread takes it
        auto start = std::make_unique<ThreadStart>(ThreadStart{module, std::move(body)});
        const win::UniqueHandle thread(::CreateThread(nullptr, 0, &ModuleThreadMain, start.get(), 0, nullptr));
        if (!thread) return false;
        // The thread owns both now.
        start.release();
        reference.release();
        return true;
      },
      false);
}

}  // namespace hostkit::host
