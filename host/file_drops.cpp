#include "host/file_drops.h"

#include <optional>
#include <string>

#include "host/ansi_path.h"
#include "host/drop_record.h"
#include "host/win_handle.h"

namespace hostkit::host {
namespace {

// The record is written on the window's thread and read on the script's, which a host may keep apart.
SRWLOCK g_lock = SRWLOCK_INIT;
DropRecord g_record;
volatile LONG g_accepted = 0;
// Whether the host window had the accept-files style before the library's drops were turned on.
bool g_host_accepts_itself = false;

class ExclusiveLock {
 public:
  ExclusiveLock() noexcept { ::AcquireSRWLockExclusive(&g_lock); }
  ExclusiveLock(const ExclusiveLock&) = delete;
  ExclusiveLock& operator=(const ExclusiveLock&) = delete;
  ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&g_lock); }
};

bool HasAcceptStyle(HWND window) noexcept { return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

// An elevated process gets no drops from a shell of lower integrity unless the window lets the drop messages in.
// The call exists from Windows 7 on, so it is looked up rather than imported.
void AllowDropMessages(HWND window) noexcept {
  using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  const HMODULE user32 = ::GetModuleHandleA("user32.dll");
  if (user32 == nullptr) return;
  const FARPROC found = ::GetProcAddress(user32, "ChangeWindowMessageFilterEx");
  if (found == nullptr) return;
  const auto filter = reinterpret_cast<FilterFn>(reinterpret_cast<void (*)()>(found));
  constexpr DWORD kAllow = 1;             // MSGFLT_ALLOW
  constexpr UINT kCopyGlobalData = 0x49;  // WM_COPYGLOBALDATA: carries the drop's data across the boundary
  for (const UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), kCopyGlobalData})
    filter(window, message, kAllow, nullptr);
}

void AcceptOn(HWND window) {
  ::DragAcceptFiles(window, TRUE);
  AllowDropMessages(window);
}

}  // namespace

void SetDrops(HWND window, bool on) {
  const bool was_on = DropsAccepted();
  if (on) {
    // Read before the style is added: a second "on" must not take the library's style for the host's.
    if (!was_on) g_host_accepts_itself = HasAcceptStyle(window);
    ::InterlockedExchange(&g_accepted, 1);
    AcceptOn(window);
    return;
  }
  ::InterlockedExchange(&g_accepted, 0);
  if (was_on && !g_host_accepts_itself) ::DragAcceptFiles(window, FALSE);
}

bool DropsAccepted() noexcept { return g_accepted != 0; }

void MoveDropSettings(HWND window) {
  if (!DropsAccepted()) return;
  g_host_accepts_itself = HasAcceptStyle(window);
  AcceptOn(window);
}

bool TakeDropMessage(HWND window, HDROP drop) {
  if (DropsAccepted()) {
    ReceiveDrop(drop);
    return true;
  }
  if (HasAcceptStyle(window)) return false;  // the host's own drops
  // A drop sent before the library's drops were turned off: nobody else would release it.
  ::DragFinish(drop);
  return true;
}

void ReceiveDrop(HDROP drop) {
  // Released on every path, also when a name cannot be stored.
  const win::UniqueDrop owned(drop);
  // 0xFFFFFFFF asks for the count; with a null buffer each call answers a name's length without terminator.
  // The wide call: the ANSI one turns every character outside the code page into '?'.
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::wstring wide;
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) continue;
    wide.assign(length + 1, L'\0');
    const UINT copied = ::DragQueryFileW(drop, i, wide.data(), length + 1);
    wide.resize(copied <= length ? copied : length);
    // A name that the code page cannot hold, and that has no short name, is left out.
    const std::optional<std::string> name = AnsiPath(wide);
    if (!name) continue;
    const ExclusiveLock lock;
    if (!g_record.Add(*name)) break;  // full: the later names are left out anyway
  }
}

std::string PendingDroppedFiles() {
  const ExclusiveLock lock;
  return g_record.Pending();
}

void ForgetDroppedFiles(std::size_t length) {
  const ExclusiveLock lock;
  g_record.Forget(length);
}

}  // namespace hostkit::host
