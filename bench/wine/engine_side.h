#pragma once
// The engine's side of a call into hostkit.dll, for the Wine benchmarks: it finds an export by its decorated name
// and hands a result back with its delete-string function, as the engine does.
#include <windows.h>

#include <cstdint>

#include "tools/hostrun/host_double.h"

namespace bench {

// Through void*: FARPROC is declared without arguments, the exports are cdecl with their own.
template <class Function>
Function Export(HMODULE module, const char* decorated) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, decorated)));
}

// Frees a string result through the host double's delete-string function.
inline void Release(char* result) {
  using DeleteString = std::intptr_t (*)(std::intptr_t);
  reinterpret_cast<DeleteString>(hostrun::HostDouble::DeleteStringAddress())(reinterpret_cast<std::intptr_t>(result));
}

}  // namespace bench
