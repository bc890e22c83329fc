// The dialog threads: a module reference taken before the thread starts and given back as it ends.
#include "dialogs/dialog_thread.h"

#include <windows.h>
#include <objbase.h>

#include <memory>

#include "host/boundary.h"
#include "host/win_handle.h"

namespace hostkit::dialogs {
namespace {

struct ThreadStart {
  HMODULE module;
  std::function<void()> body;
};

// Everything the thread owns ends in here, before the module reference goes.
void RunBody(ThreadStart& start) noexcept {
  const win::ScopedComInit com(COINIT_APARTMENTTHREADED);
  Guard(start.body);
  start.body = nullptr;
}

DWORD WINAPI DialogThreadMain(void* parameter) {
  HMODULE module = nullptr;
  {
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    module = start->module;
    RunBody(*start);
  }
  // The last reference may unmap this code: FreeLibraryAndExitThread never returns into it.
  ::FreeLibraryAndExitThread(module, 0);
}

}  // namespace

bool RunOnOwnThread(std::function<void()> body) noexcept {
  return Guard(
      [&] {
        HMODULE module = nullptr;
        if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&DialogThreadMain),
                                  &module))
          return false;
        win::UniqueModule reference(module);  // given back here unless the thread takes it
        auto start = std::make_unique<ThreadStart>(ThreadStart{module, std::move(body)});
        const win::UniqueHandle thread(::CreateThread(nullptr, 0, &DialogThreadMain, start.get(), 0, nullptr));
        if (!thread) return false;
        // The thread owns both now.
        start.release();
        reference.release();
        return true;
      },
      false);
}

}  // namespace hostkit::dialogs
