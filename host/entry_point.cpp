// The module's entry point, ahead of the runtime's own (the DLL is linked with -e _HostkitEntry@12). It notes the
// lowest free TLS slot before the runtime starts, since the thread library takes that slot as the runtime starts
// (the TLS callbacks have run by then and take none), and the unload gives it back.
#include <windows.h>

#include "host/tls_slot.h"

// The runtime's entry: it starts the C and C++ runtime (the thread library's slot, the constructors), then calls
// DllMain, and at detach runs it all the other way.
extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE self, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI HostkitEntry(HANDLE self, DWORD reason, LPVOID reserved) {
  // Nothing of the runtime may run here before it has started: the slot is noted with system calls alone.
  if (reason == DLL_PROCESS_ATTACH) hostkit::host::NoteFreeTlsSlot();
  return DllMainCRTStartup(self, reason, reserved);
}
