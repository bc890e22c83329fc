#include "host/tls_slot.h"

#include <windows.h>
#include <pthread.h>

namespace hostkit::host {
namespace {

// Constant-initialised: the entry point writes the first before the runtime has started.
DWORD g_free_at_start = TLS_OUT_OF_INDEXES;
DWORD g_thread_library_slot = TLS_OUT_OF_INDEXES;

}  // namespace

void NoteFreeTlsSlot() noexcept {
  g_free_at_start = TlsAlloc();
  if (g_free_at_start != TLS_OUT_OF_INDEXES) TlsFree(g_free_at_start);
}

void NoteThreadLibrarySlot() noexcept {
  if (g_free_at_start == TLS_OUT_OF_INDEXES) return;
  // The library's record of this thread, made now if not yet, sits in its slot. A freed slot reads as null in
  // every thread, and another thread that took the noted slot in between cannot have set it for this one: a value
  // here proves that the slot is the library's. Without that proof the slot is left alone (and kept, as before).
  pthread_self();
  if (TlsGetValue(g_free_at_start) != nullptr) g_thread_library_slot = g_free_at_start;
}

void FreeThreadLibrarySlot() noexcept {
  if (g_thread_library_slot == TLS_OUT_OF_INDEXES) return;
  TlsFree(g_thread_library_slot);
  g_thread_library_slot = TLS_OUT_OF_INDEXES;
}

}  // namespace hostkit::host
