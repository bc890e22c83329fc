// A DLL that imports what hostkit.dll imports from the system and nothing else: the load and unload cycles run it
// first, so that what the system libraries keep of their own at each load is told apart from what hostkit keeps.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstring>

// One call into each library, so that the linker keeps every import; never called.
extern "C" __declspec(dllexport) int TouchSystemImports(int which) {
  switch (which) {
    case 1:
      InitCommonControls();
      return 0;
    case 2:
      return static_cast<int>(CommDlgExtendedError());
    case 3:
      return static_cast<int>(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    case 4:
      return static_cast<int>(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, nullptr, "", nullptr, nullptr, 0)));
    case 5:
      return MessageBeep(0);
    default:
      return static_cast<int>(std::strlen(""));
  }
}
