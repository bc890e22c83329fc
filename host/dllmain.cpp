#include <windows.h>

#include "host/boundary.h"
#include "host/host_window.h"

// The loader's entry: look for the host window once, and never fail the load over it.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  return hostkit::Guard(
      [&] {
        if (reason == DLL_PROCESS_ATTACH) hostkit::host::Init();
        return TRUE;
      },
      TRUE);
}
