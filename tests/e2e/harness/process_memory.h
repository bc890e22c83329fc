#pragma once
// The process's memory. Committed private memory: Wine answers 0 to the usual counters (PrivateUsage and the
// like), so the committed private regions of the address space are summed instead. Resident memory (the pages
// touched), now and at its peak: the working set, which Wine reads from the process's VmRSS and VmHWM. Committed
// memory overstates a thread with a large stack, which Wine commits whole at its start; the resident figure
// counts only the pages touched, as a stack's commit grows on Windows. (Z:\proc\self\status is no cross-check:
// Wine opens it in the wine server, and reads the server's figures.)
#include <windows.h>
// windows.h first
#include <psapi.h>

namespace e2e {

struct Resident {
  long long now = 0;
  long long peak = 0;
};

inline Resident ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return {};
  return {static_cast<long long>(counters.WorkingSetSize), static_cast<long long>(counters.PeakWorkingSetSize)};
}

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
