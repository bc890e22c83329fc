#include <windows.h>

#include "host/boundary.h"
#include "host/host_window.h"
#include "host/message_window.h"
#include "host/tls_slot.h"
#include "host/unload.h"

// Called by the runtime once it has started the module (host/entry_point.cpp): look for the host window once, and
// never fail the load over it. An unload by FreeLibrary (not the end of the process) gives back what the runtime
// would otherwise keep for the life of the process, its TLS slot included, and the library's own window.
extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  return hostkit::Guard(
      [&] {
        if (reason == DLL_PROCESS_ATTACH) {
          hostkit::host::NoteThreadLibrarySlot();
          hostkit::host::Init();
        }
        if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
          hostkit::host::DestroyMessageWindow();
          hostkit::host::ReleaseRuntimeMemory(self);
        }
        return TRUE;
      },
      TRUE);
}
