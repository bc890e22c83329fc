#include <windows.h>

#include "host/boundary.h"
#include "host/host_window.h"
#include "host/tls_slot.h"

// Called by the runtime once it has started the module (host/entry_point.cpp): look for the host window once, and
// never fail the load over it. What an unload gives back is released by the entry point, after the runtime's own
// detach (which calls this first and runs the static destructors after it).
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  return hostkit::Guard(
      [&] {
        if (reason == DLL_PROCESS_ATTACH) {
          hostkit::host::NoteThreadLibrarySlot();
          hostkit::host::Init();
        }
        return TRUE;
      },
      TRUE);
}
