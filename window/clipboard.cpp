#include "window/clipboard.h"

#include <windows.h>

#include <cstring>

#include "host/host_window.h"
#include "host/win_handle.h"
#include "window/retry.h"

namespace hostkit::window {
namespace {

// The clipboard opened for the scope, retried while another program holds it. The host window, where there is
// one, becomes the owner that EmptyClipboard records (a null owner makes SetClipboardData fail on some systems).
class OpenClipboardSession {
 public:
  OpenClipboardSession() {
    const HWND owner = host::FindHostWindow();
    open_ = RetryFor(
        kClipboardRetryMs, kClipboardRetryStepMs,
        [&] {
          if (::OpenClipboard(owner)) return true;
          error_ = ::GetLastError();
          return false;
        },
        [] { return static_cast<std::uint32_t>(::GetTickCount()); }, [](std::uint32_t ms) { ::Sleep(ms); });
  }
  OpenClipboardSession(const OpenClipboardSession&) = delete;
  OpenClipboardSession& operator=(const OpenClipboardSession&) = delete;
  ~OpenClipboardSession() {
    if (open_) ::CloseClipboard();
  }

  bool open() const noexcept { return open_; }
  // The code of the last failed open, ERROR_ACCESS_DENIED when the platform left none.
  int error() const noexcept { return error_ != 0 ? static_cast<int>(error_) : ERROR_ACCESS_DENIED; }

 private:
  bool open_ = false;
  DWORD error_ = 0;
};

int LastErrorOr(DWORD fallback) {
  const DWORD code = ::GetLastError();
  return static_cast<int>(code != 0 ? code : fallback);
}

}  // namespace

std::string ClipboardText() {
  OpenClipboardSession session;
  if (!session.open()) return {};
  // The block stays the clipboard's: it is read, never freed here.
  const HANDLE block = ::GetClipboardData(CF_TEXT);
  if (block == nullptr) return {};
  const win::ScopedGlobalLock lock(block);
  if (lock.data() == nullptr) return {};
  // The text ends at its terminator, or at the block's end where a program left none.
  const auto* text = static_cast<const char*>(lock.data());
  return std::string(text, strnlen(text, ::GlobalSize(block)));
}

int SetClipboardText(const char* text) {
  // The copy is made before the clipboard is opened, so that it is held no longer than the two calls.
  const std::size_t length = std::strlen(text);
  win::UniqueGlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, length + 1));
  if (!block) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
  {
    const win::ScopedGlobalLock lock(block.get());
    if (lock.data() == nullptr) return LastErrorOr(ERROR_GEN_FAILURE);
    std::memcpy(lock.data(), text, length + 1);
  }
  OpenClipboardSession session;
  if (!session.open()) return session.error();
  if (!::EmptyClipboard()) return LastErrorOr(ERROR_GEN_FAILURE);
  if (::SetClipboardData(CF_TEXT, block.get()) == nullptr) return LastErrorOr(ERROR_GEN_FAILURE);
  // From here the block is the system's.
  block.release();
  return 0;
}

}  // namespace hostkit::window
