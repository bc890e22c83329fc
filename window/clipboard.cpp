#include "window/clipboard.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "host/message_window.h"
#include "host/win_handle.h"
#include "window/clipboard_block.h"
#include "window/retry.h"

namespace hostkit::window {
namespace {

// The clipboard opened for the scope, retried while another program holds it. The opener is a message-only window
// of the calling thread, made for the call and destroyed once the clipboard is closed (the text stays on the
// clipboard, which keeps no owner then): EmptyClipboard records the opener as the owner, and a null one makes
// SetClipboardData fail on Windows; under Wine 8 a null opener is even let in while another program that opened
// it with none holds it. A window kept across calls died with the thread that made it, and from then on the
// clipboard answered 1400 on every thread.
class OpenClipboardSession {
 public:
  OpenClipboardSession() : owner_(host::MakeMessageWindow()) {
    if (!owner_) {
      const DWORD code = ::GetLastError();
      error_ = code != 0 ? code : ERROR_GEN_FAILURE;
      return;
    }
    RetryFor(
        kClipboardRetryMs, kClipboardRetryStepMs,
        [&] {
          ::SetLastError(0);
          if (::OpenClipboard(owner_.get())) return open_ = true;
          error_ = ::GetLastError();
          // Only "held by another program" is worth a wait; any other failure is final.
          return error_ != ERROR_ACCESS_DENIED && error_ != 0;
        },
        [] { return static_cast<std::uint32_t>(::GetTickCount()); }, [](std::uint32_t ms) { ::Sleep(ms); });
  }
  OpenClipboardSession(const OpenClipboardSession&) = delete;
  OpenClipboardSession& operator=(const OpenClipboardSession&) = delete;
  // Closed before the owner window goes (members are destroyed after this body).
  ~OpenClipboardSession() {
    if (open_) ::CloseClipboard();
  }

  bool open() const noexcept { return open_; }
  // The code of the last failed open, ERROR_ACCESS_DENIED when the platform left none.
  int error() const noexcept { return error_ != 0 ? static_cast<int>(error_) : ERROR_ACCESS_DENIED; }

 private:
  win::UniqueWindow owner_;
  bool open_ = false;
  DWORD error_ = 0;
};

int LastErrorOr(DWORD fallback) {
  const DWORD code = ::GetLastError();
  return static_cast<int>(code != 0 ? code : fallback);
}

// The clipboard's block of the format, read within its size. nullopt when there is no such block.
template <class Char>
std::optional<std::basic_string<Char>> ReadBlock(UINT format) {
  // The block stays the clipboard's: it is read, never freed here.
  const HANDLE block = ::GetClipboardData(format);
  if (block == nullptr) return std::nullopt;
  const win::ScopedGlobalLock lock(block);
  if (lock.data() == nullptr) return std::nullopt;
  return std::basic_string<Char>(TextInBlock<Char>(lock.data(), ::GlobalSize(block)));
}

// A movable block holding the bytes, for SetClipboardData.
win::UniqueGlobalMemory MakeBlock(const void* bytes, std::size_t size, int& error) {
  win::UniqueGlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block) {
    error = LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    return block;
  }
  const win::ScopedGlobalLock lock(block.get());
  if (lock.data() == nullptr) {
    error = LastErrorOr(ERROR_GEN_FAILURE);
    return {};
  }
  std::memcpy(lock.data(), bytes, size);
  return block;
}

// The ANSI text as UTF-16, terminator included: every byte of an ANSI code page has its character.
std::wstring Widened(const char* text, std::size_t length) {
  const int count = static_cast<int>(length + 1);
  const int units = ::MultiByteToWideChar(CP_ACP, 0, text, count, nullptr, 0);
  if (units <= 0) return std::wstring(1, L'\0');
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text, count, wide.data(), units);
  return wide;
}

// UTF-16 text in the ANSI code page; a character that the code page lacks becomes what WideCharToMultiByte makes
// of it by default: the code page's look-alike where it has one (best fit), else '?'.
std::string Narrowed(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int units = static_cast<int>(wide.size());
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), units, text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace

std::string ClipboardText() {
  OpenClipboardSession session;
  if (!session.open()) return {};
  // The Unicode text first: the system's own CF_TEXT from it goes through the code page of the locale stamped
  // on the clipboard (the keyboard layout's), not the process's.
  if (const auto wide = ReadBlock<wchar_t>(CF_UNICODETEXT)) return Narrowed(*wide);
  if (const auto text = ReadBlock<char>(CF_TEXT)) return *text;
  return {};
}

int SetClipboardText(const char* text) {
  // The copies are made before the clipboard is opened, so that it is held no longer than the calls.
  const std::size_t length = std::strlen(text);
  int error = 0;
  win::UniqueGlobalMemory ansi = MakeBlock(text, length + 1, error);
  if (!ansi) return error;
  const std::wstring wide = Widened(text, length);
  win::UniqueGlobalMemory unicode = MakeBlock(wide.c_str(), wide.size() * sizeof(wchar_t), error);
  if (!unicode) return error;
  OpenClipboardSession session;
  if (!session.open()) return session.error();
  if (!::EmptyClipboard()) return LastErrorOr(ERROR_GEN_FAILURE);
  if (::SetClipboardData(CF_UNICODETEXT, unicode.get()) == nullptr) return LastErrorOr(ERROR_GEN_FAILURE);
  // From here each block is the system's.
  unicode.release();
  if (::SetClipboardData(CF_TEXT, ansi.get()) == nullptr) return LastErrorOr(ERROR_GEN_FAILURE);
  ansi.release();
  return 0;
}

}  // namespace hostkit::window
