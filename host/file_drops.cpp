#include "host/file_drops.h"

#include <string>

#include "host/drop_record.h"
#include "host/win_handle.h"

namespace hostkit::host {
namespace {

// The record is written on the window's thread and read on the script's, which a host may keep apart.
SRWLOCK g_lock = SRWLOCK_INIT;
DropRecord g_record;
volatile LONG g_accepted = 0;

class ExclusiveLock {
 public:
  ExclusiveLock() noexcept { ::AcquireSRWLockExclusive(&g_lock); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
  ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&g_lock); }
};

}  // namespace

void SetDropsAccepted(bool on) noexcept { ::InterlockedExchange(&g_accepted, on ? 1 : 0); }
bool DropsAccepted() noexcept { return g_accepted != 0; }

void ReceiveDrop(HDROP drop) {
  // Released on every path, also when a name cannot be stored.
  const win::UniqueDrop owned(drop);
  // 0xFFFFFFFF asks for the count; with a null buffer each call answers a name's length without terminator.
  const UINT count = ::DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  std::string name;
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileA(drop, i, nullptr, 0);
    if (length == 0) continue;
    name.assign(length + 1, '\0');
    const UINT copied = ::DragQueryFileA(drop, i, name.data(), length + 1);
    name.resize(copied <= length ? copied : length);
    const ExclusiveLock lock;
    if (!g_record.Add(name)) break;  // full: the later names are left out anyway
  }
}

std::string TakeDroppedFiles() {
  const ExclusiveLock lock;
  return g_record.Take();
}

}  // namespace hostkit::host
