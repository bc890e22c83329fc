// The attention thread: its work slots, its start and its end, and the tray icon it keeps.
#include "attention/attention_thread.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <utility>

#include "dialogs/dialog_thread.h"
#include "host/boundary.h"

namespace hostkit::attention {
namespace {

// The tray's messages about the icon, and the nudge that new work has come.
constexpr UINT kTrayMessage = WM_APP + 0x1A7;
constexpr UINT kWorkMessage = WM_APP + 0x1A8;
constexpr UINT kIconId = 1;
constexpr UINT_PTR kTimerId = 1;
// How often the thread looks at the host window (a notification goes with it) and at the clock.
constexpr UINT kPollMs = 250;
// With nothing showing, the thread waits this long for more work before it ends: a script that sets the
// progress every frame keeps one thread instead of starting one a frame.
constexpr DWORD kLingerMs = 2000;
// A notification whose end the tray never reports (no tray, or a tray that keeps it for a player who is away) is
// taken down after this long; a balloon shows for 10 to 30 s, a toast for about 5 s before the action centre.
constexpr DWORD kNoticeLifeMs = 60000;

// The newest piece of work of one kind, handed from the host's thread to the attention thread without a lock.
template <class Work>
class LatestSlot {
 public:
  ~LatestSlot() { delete slot_.exchange(nullptr); }
  void Put(std::unique_ptr<Work> work) noexcept { delete slot_.exchange(work.release()); }
  std::unique_ptr<Work> Take() noexcept { return std::unique_ptr<Work>(slot_.exchange(nullptr)); }
  bool Empty() const noexcept { return slot_.load() == nullptr; }

 private:
  std::atomic<Work*> slot_{nullptr};
};

LatestSlot<Notice> g_notice;
LatestSlot<ProgressChange> g_progress;
// True from the start of a thread until it has decided to end; the window while the thread takes nudges.
std::atomic<bool> g_running{false};
std::atomic<HWND> g_window{nullptr};

bool HasWork() noexcept { return !g_notice.Empty() || !g_progress.Empty(); }

// Copies text into a fixed field, cut at a character boundary of the ANSI code page so that the cut never leaves
// half a double-byte character.
template <std::size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  const char* end = text.c_str();
  for (const char* next = end; *end != '\0'; end = next) {
    next = ::CharNextA(end);
    if (static_cast<std::size_t>(next - text.c_str()) > N - 1) break;
  }
  const std::size_t length = static_cast<std::size_t>(end - text.c_str());
  std::memcpy(field, text.c_str(), length);
  field[length] = '\0';
}

// The thread's own record: the icon it shows, for which host window, and since when.
struct Tray {
  HWND window = nullptr;
  HWND host = nullptr;
  bool shown = false;
  DWORD shown_at = 0;
  DWORD last_work_at = 0;
};

NOTIFYICONDATAA IconData(const Tray& tray) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof(data);
  data.hWnd = tray.window;
  data.uID = kIconId;
  return data;
}

void RemoveIcon(Tray& tray) {
  if (!tray.shown) return;
  NOTIFYICONDATAA data = IconData(tray);
  ::Shell_NotifyIconA(NIM_DELETE, &data);
  tray.shown = false;
  tray.last_work_at = ::GetTickCount();
}

void Show(Tray& tray, const Notice& notice) {
  NOTIFYICONDATAA data = IconData(tray);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = notice.icon.get();
  CopyField(data.szTip, notice.tip);
  CopyField(data.szInfoTitle, notice.title);
  // The tray shows no balloon for an empty text (it takes one down instead).
  CopyField(data.szInfo, notice.text.empty() ? std::string(" ") : notice.text);
  data.dwInfoFlags = notice.balloon_flags;
  // A new host window is another icon's owner in the player's eyes: start afresh.
  if (tray.shown && tray.host != notice.host) RemoveIcon(tray);
  if (tray.shown) {
    tray.shown = ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE || ::Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  } else {
    tray.shown = ::Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    // Version 3 reports the balloon's end and clicks as the whole second parameter, as Wine does.
    data.uVersion = NOTIFYICON_VERSION;
    if (tray.shown) ::Shell_NotifyIconA(NIM_SETVERSION, &data);
  }
  tray.host = notice.host;
  tray.shown_at = tray.last_work_at = ::GetTickCount();
}

void BringHostToFront(const Tray& tray) {
  if (!::IsWindow(tray.host)) return;
  // Asynchronous: the host's thread may be busy, and this thread never waits on it.
  if (::IsIconic(tray.host)) ::ShowWindowAsync(tray.host, SW_RESTORE);
  ::SetForegroundWindow(tray.host);
}

void TakeWork(Tray& tray) {
  if (const auto notice = g_notice.Take()) Show(tray, *notice);
  if (const auto change = g_progress.Take()) {
    ApplyProgress(change->host, change->progress);
    tray.last_work_at = ::GetTickCount();
  }
}

void OnTrayMessage(Tray& tray, LPARAM event) {
  switch (static_cast<UINT>(event)) {
    case NIN_BALLOONUSERCLICK:
    case WM_LBUTTONUP:
    case NIN_SELECT:
    case NIN_KEYSELECT:
      BringHostToFront(tray);
      RemoveIcon(tray);
      break;
    case NIN_BALLOONTIMEOUT:
    case NIN_BALLOONHIDE:
      RemoveIcon(tray);
      break;
    default:
      break;
  }
}

void OnTimer(Tray& tray) {
  if (!tray.shown) return;
  if (!::IsWindow(tray.host) || ::GetTickCount() - tray.shown_at >= kNoticeLifeMs) RemoveIcon(tray);
}

LRESULT CALLBACK AttentionWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Guard(
      [&]() -> LRESULT {
        auto* tray = reinterpret_cast<Tray*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (tray != nullptr && message == kTrayMessage) OnTrayMessage(*tray, lparam);
        if (tray != nullptr && message == WM_TIMER && wparam == kTimerId) OnTimer(*tray);
        return ::DefWindowProcA(window, message, wparam, lparam);
      },
      LRESULT{0});
}

// The window class, registered by the thread for its own life under a name of its own (a thread that is ending
// may still hold the previous one) and unregistered before the module reference goes: a DLL's classes outlive
// its unload otherwise.
class ThreadClass {
 public:
  ThreadClass() {
    std::snprintf(name_, sizeof(name_), "hostkit.attention.%lu", ::GetCurrentThreadId());
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCSTR>(&AttentionWindowProc), &module_);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &AttentionWindowProc;
    wc.hInstance = module_;
    wc.lpszClassName = name_;
    registered_ = ::RegisterClassA(&wc) != 0;
  }
  ThreadClass(const ThreadClass&) = delete;
  ThreadClass& operator=(const ThreadClass&) = delete;
  ~ThreadClass() {
    if (registered_) ::UnregisterClassA(name_, module_);
  }
  const char* name() const noexcept { return name_; }
  HINSTANCE module() const noexcept { return module_; }

 private:
  char name_[48] = {};
  HMODULE module_ = nullptr;
  bool registered_ = false;
};

// Whether the thread may end: nothing shows, nothing waits and it has lingered. It gives up its claim first and
// takes it back if work came meanwhile (a nudge posted then found no window); a host call that finds the claim
// given up starts a new thread instead.
bool MayEnd(Tray& tray) {
  if (tray.shown || HasWork() || ::GetTickCount() - tray.last_work_at < kLingerMs) return false;
  g_window.store(nullptr);
  g_running.store(false);
  if (HasWork() && !g_running.exchange(true)) {
    g_window.store(tray.window);
    return false;
  }
  return true;
}

void AttentionLoop() {
  const ThreadClass window_class;
  win::UniqueWindow window(::CreateWindowExA(0, window_class.name(), "hostkit", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                             window_class.module(), nullptr));
  Tray tray;
  tray.window = window.get();
  tray.last_work_at = ::GetTickCount();
  if (!window) {
    // No window, no tray: drop the work so that the next call tries again with a new thread.
    g_notice.Take();
    g_progress.Take();
    g_running.store(false);
    return;
  }
  ::SetWindowLongPtrA(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&tray));
  ::SetTimer(window.get(), kTimerId, kPollMs, nullptr);
  g_window.store(window.get());
  for (;;) {
    TakeWork(tray);
    if (MayEnd(tray)) break;
    MSG message;
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // A WM_QUIT nobody here posts, or a broken queue: end as if idle.
      RemoveIcon(tray);
      g_window.store(nullptr);
      g_running.store(false);
      break;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  RemoveIcon(tray);
  ::KillTimer(window.get(), kTimerId);
  ::SetWindowLongPtrA(window.get(), GWLP_USERDATA, 0);
}

DWORD Wake() noexcept {
  if (!g_running.exchange(true)) {
    if (dialogs::RunOnOwnThread(&AttentionLoop)) return 0;
    const DWORD error = ::GetLastError();
    g_running.store(false);
    return error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY;
  }
  if (const HWND window = g_window.load()) ::PostMessageA(window, kWorkMessage, 0, 0);
  return 0;
}

}  // namespace

DWORD PostNotice(std::unique_ptr<Notice> notice) noexcept {
  g_notice.Put(std::move(notice));
  const DWORD error = Wake();
  if (error != 0) g_notice.Take();
  return error;
}

DWORD PostProgress(std::unique_ptr<ProgressChange> change) noexcept {
  g_progress.Put(std::move(change));
  const DWORD error = Wake();
  if (error != 0) g_progress.Take();
  return error;
}

}  // namespace hostkit::attention
