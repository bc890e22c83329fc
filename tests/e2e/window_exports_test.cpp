// The window, pointer, console, command line and message box commands under their exact decorated names.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/e2e/harness/host.h"

namespace {

TEST(WindowExports, EveryCommandIsExportedUnderItsDecoratedName) {
  const HMODULE module = e2e::Host().module();
  for (const char* name :
       {"?SetWindowStyle@@YAXJ@Z", "?SetWindowExStyle@@YAXJ@Z", "?SetWindowPosition@@YAXHHHHHH@Z",
        "?GetCursorX@@YAHH@Z", "?GetCursorY@@YAHH@Z", "?GetMouseButtons@@YAHXZ", "?GetWindowX@@YAHXZ",
        "?GetWindowY@@YAHXZ", "?OpenConsole@@YAXXZ", "?ConsoleWrite@@YAXPBD@Z", "?ConsoleCommand@@YAXPBD@Z",
        "?GetCL@@YAPADXZ", "?Request@@YAHPBD0@Z", "?Request@@YAHPBD0H@Z", "?Request@@YAHPBD0HH@Z",
        "?Request@@YAHPBD0HHH@Z"})
    EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
  // The four Request overloads are four functions, each taking its own argument list.
  EXPECT_NE(GetProcAddress(module, "?Request@@YAHPBD0@Z"), GetProcAddress(module, "?Request@@YAHPBD0HHH@Z"));
}

}  // namespace
