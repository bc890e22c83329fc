// The module's entry point, around the runtime's own (the DLL is linked with -e _HostkitEntry@12). It notes the
// lowest free TLS slot before the runtime starts, since the thread library takes that slot as the runtime starts
// (the TLS callbacks have run by then and take none), and an unload by FreeLibrary gives back what the runtime
// keeps once the runtime has finished its detach.
#include <windows.h>

#include "host/tls_slot.h"
#include "host/unload.h"

// The runtime's entry: it starts the C and C++ runtime (the thread library's slot, the constructors), then calls
// DllMain, and at detach calls DllMain first and then runs the static destructors.
extern "C" BOOL WINAPI DllMainCRTStartup(HANDLE self, DWORD reason, LPVOID reserved);

extern "C" BOOL WINAPI HostkitEntry(HANDLE self, DWORD reason, LPVOID reserved) {
  // Nothing of the runtime may run here before it has started: the slot is noted with system calls alone.
  if (reason == DLL_PROCESS_ATTACH) hostkit::host::NoteFreeTlsSlot();
  const BOOL answer = DllMainCRTStartup(self, reason, reserved);
  // Only now: the static destructors (the pattern cache, the dialect's locale) free memory through the module's
  // operator delete, whose thread-local account makes this thread's record in the thread library again (an event
  // and a thread handle) and writes it into the library's slot. Released from DllMain, before them, the record
  // came back at every unload and the freed slot kept a pointer to it. Never at the end of the process (reserved
  // set), when other threads may still be inside the runtime.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
    hostkit::host::ReleaseRuntimeMemory(static_cast<HMODULE>(self));
  return answer;
}
