// A notification from the tray: made on the host's thread from its window, shown by the attention thread.
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "attention/attention.h"
#include "attention/attention_thread.h"
#include "host/host_window.h"

namespace hostkit::attention {
namespace {

static_assert(NIIF_NONE == 0 && NIIF_INFO == 1 && NIIF_WARNING == 2 && NIIF_ERROR == 3 &&
              kBalloonNoSound == NIIF_NOSOUND);

// The host's window may belong to another thread than the script's: every question to it is bounded, so that a
// busy window thread cannot hold up the call.
constexpr UINT kAskWindowMs = 100;

LRESULT Ask(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR answer = 0;
  if (!::SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG | SMTO_BLOCK, kAskWindowMs, &answer))
    return 0;
  return static_cast<LRESULT>(answer);
}

// The icon the host window shows: its own small one, else its class's, else the system's application icon.
UniqueIcon HostIcon(HWND host) {
  auto icon = reinterpret_cast<HICON>(Ask(host, WM_GETICON, ICON_SMALL2, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(Ask(host, WM_GETICON, ICON_SMALL, 0));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(::GetClassLongPtrA(host, GCLP_HICONSM));
  if (icon == nullptr) icon = reinterpret_cast<HICON>(::GetClassLongPtrA(host, GCLP_HICON));
  if (icon == nullptr) icon = ::LoadIconA(nullptr, IDI_APPLICATION);
  return UniqueIcon(::CopyIcon(icon));
}

std::string Caption(HWND host) {
  char caption[128] = {};  // the tray's tip holds 127 bytes
  Ask(host, WM_GETTEXT, sizeof(caption), reinterpret_cast<LPARAM>(caption));
  caption[sizeof(caption) - 1] = '\0';
  return caption;
}

}  // namespace

int ShowNotification(const char* title, const char* text, int flags) {
  const auto balloon_flags = BalloonFlagsFor(flags);
  if (!balloon_flags) return ERROR_INVALID_PARAMETER;
  const HWND host = host::FindHostWindow();
  if (host == nullptr) return ERROR_INVALID_WINDOW_HANDLE;
  auto notice = std::make_unique<Notice>();
  notice->host = host;
  notice->icon = HostIcon(host);
  notice->tip = Caption(host);
  notice->title = title != nullptr ? title : "";
  notice->text = text != nullptr ? text : "";
  notice->balloon_flags = *balloon_flags;
  return static_cast<int>(PostNotice(std::move(notice)));
}

}  // namespace hostkit::attention
