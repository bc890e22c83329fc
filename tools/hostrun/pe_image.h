#pragma once
// Reading a loaded module's PE headers: the names it exports and the slots of the functions it imports.
// The host double resolves commands from the export directory; tests compare it with the export table and
// patch imports to observe the DLL's platform calls.
#include <windows.h>

#include <string>
#include <vector>

namespace hostrun {

// Every name in the module's export directory, in the directory's order (ascending, as the loader needs).
std::vector<std::string> ExportNames(HMODULE module);

// The import address slot through which the module calls `function` of `dll` (compared without case), or
// null when it imports no such function by name.
DWORD* ImportSlot(HMODULE module, const char* dll, const char* function);

}  // namespace hostrun
