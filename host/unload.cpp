#include "host/unload.h"

#include <windows.h>
#include <pthread.h>

// libstdc++'s own release of its emergency exception pool (a block it takes at load for exceptions thrown when
// the heap is exhausted, and otherwise frees never). It is what a leak checker calls at exit; it has no public
// header.
namespace __gnu_cxx {
void __freeres() noexcept;
}

namespace hostkit::host {
namespace {

// The slot that TlsAlloc would hand out when the module's first TLS callback runs, and the one the thread library
// is then known to hold. The library keeps its slot in a variable of its own that nothing outside can read, and
// takes it while the runtime starts the module (measured: after the TLS callbacks, before the constructors).
DWORD g_free_at_start = TLS_OUT_OF_INDEXES;
DWORD g_thread_library_slot = TLS_OUT_OF_INDEXES;

// TLS callbacks run in the order of their section names, before the module's entry starts the runtime:
// ".CRT$XLB" is the first after the runtime's start marker, so this one sees the slots as the module found them.
void NTAPI NoteFreeSlot(PVOID, DWORD reason, PVOID) {
  if (reason != DLL_PROCESS_ATTACH) return;
  g_free_at_start = TlsAlloc();
  if (g_free_at_start != TLS_OUT_OF_INDEXES) TlsFree(g_free_at_start);
}

[[gnu::section(".CRT$XLB"), gnu::used]] const PIMAGE_TLS_CALLBACK kNoteFreeSlot = &NoteFreeSlot;

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

void NoteThreadLibrarySlot() noexcept {
  if (g_free_at_start == TLS_OUT_OF_INDEXES) return;
  // The library's record of this thread, made now if not yet, sits in its slot. A freed slot reads as null in
  // every thread, and another thread that took the noted slot in between cannot have set it for this one: a value
  // here proves that the slot is the library's. Without that proof the slot is left alone (and kept, as before).
  pthread_self();
  if (TlsGetValue(g_free_at_start) != nullptr) g_thread_library_slot = g_free_at_start;
}

void ReleaseRuntimeMemory(HMODULE self) noexcept {
  // The thread that unloads the module is done with it, but a thread hears of that only when it ends, and this
  // thread outlives the module: it gets the notice now, while the module's code is still there to act on it.
  NotifyThreadDetach(self);
  __gnu_cxx::__freeres();
  // Last: the thread-detach notice above still read this thread's record from the slot.
  if (g_thread_library_slot != TLS_OUT_OF_INDEXES) TlsFree(g_thread_library_slot);
}

}  // namespace hostkit::host
