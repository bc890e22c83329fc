#pragma once
// The process's committed private memory. Wine answers 0 to the usual counters (PrivateUsage and the like), so the
// committed private regions of the address space are summed instead.
#include <windows.h>

namespace e2e {

inline long long CommittedPrivateBytes() {
  long long total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += static_cast<long long>(info.RegionSize);
    const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

}  // namespace e2e
