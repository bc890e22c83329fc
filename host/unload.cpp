#include "host/unload.h"

#include <windows.h>

#include "host/key_table_lock.h"
#include "host/tls_slot.h"

// libstdc++'s own release of its emergency exception pool (a block it takes at load for exceptions thrown when
// the heap is exhausted, and otherwise frees never). It is what a leak checker calls at exit; it has no public
// header.
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace hostkit::host {
namespace {

// The module's TLS callbacks, as its PE image lists them: the runtime's per-thread clean-up (the thread
// library's record of the thread, with an event and a thread handle, and the blocks of every thread_local, which
// the compiler emulates on this platform).
void NotifyThreadDetach(HMODULE self) noexcept {
  const auto* base = reinterpret_cast<const BYTE*>(self);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
  if (entry.VirtualAddress == 0) return;
  const auto* directory = reinterpret_cast<const IMAGE_TLS_DIRECTORY*>(base + entry.VirtualAddress);
  // The list is given by address (already relocated), not as an offset in the image.
  for (auto* callback = reinterpret_cast<const PIMAGE_TLS_CALLBACK*>(directory->AddressOfCallBacks);
       callback != nullptr && *callback != nullptr; ++callback)
    (*callback)(self, DLL_THREAD_DETACH, nullptr);
}

}  // namespace

void ReleaseRuntimeMemory(HMODULE self) noexcept {
  // The thread that unloads the module is done with it, but a thread hears of that only when it ends, and this
  // thread outlives the module: it gets the notice now, while the module's code is still there to act on it.
  NotifyThreadDetach(self);
  __gnu_cxx::__freeres();
  // The thread-detach notice above still took the key table's lock and read this thread's record from the slot.
  DestroyKeyTableLock();
  FreeThreadLibrarySlot();
}

}  // namespace hostkit::host
