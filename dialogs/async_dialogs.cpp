// The asynchronous twins: a request in the table, its dialog on a thread of its own, watched by a thread timer
// that ends the dialog once the script closes the request or the host window goes away.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "dialogs/build_turn.h"
#include "dialogs/dialog_job.h"
#include "dialogs/dialog_thread.h"
#include "dialogs/dialogs.h"
#include "dialogs/request_table.h"
#include "host/boundary.h"
#include "host/host_window.h"
#include "window/requests.h"

namespace hostkit::dialogs {
namespace {

// How often a dialog thread looks at its request and at the host window: the delay of CloseDialog.
constexpr UINT kWatchMs = 20;

// How long one dialog may keep the others from building theirs. Measured under Wine 8 on a busy 2-core machine
// (load average 17), from a thread's turn to its dialog's first tick: 33-170 ms a dialog, the first file dialogs of a
// process 1.5 s and 0.7 s. A dialog whose loop never runs, so never ticks, is passed over after this.
constexpr std::chrono::milliseconds kMaxBuildHold{2000};

struct Watch {
  int id = 0;
  HWND host = nullptr;     // null: no host window when the request started, nothing to watch
  std::uint64_t turn = 0;  // the building turn held until its dialog's loop runs, 0 once given back
};

// The dialog threads build their dialogs one at a time: sixteen threads building windows at once under Wine 8
// ended the process once with glibc's "munmap_chunk(): invalid pointer" (a fault on Wine's Unix side). A thread holds
// the turn from its start until the first tick of its timer, which only a running dialog loop delivers, and for
// kMaxBuildHold at most. Only dialog threads wait for it: the host's thread never does.
BuildTurn& Turn() {
  static BuildTurn turn(kMaxBuildHold);
  return turn;
}

// The requests by the dialog thread that runs them, for the timer procedure (it gets no context of its own).
std::mutex g_watch_lock;
std::map<DWORD, Watch>& Watches() {
  static std::map<DWORD, Watch> watches;
  return watches;
}

BOOL CALLBACK EndThreadWindow(HWND window, LPARAM) {
  return Guard(
      [&] {
        if (!::IsWindowVisible(window)) return TRUE;  // Wine's hidden IME window of the thread, among others
        // A message box without a Cancel button ignores IDCANCEL: only EndDialog ends it.
        char name[16] = {};
        ::GetClassNameA(window, name, static_cast<int>(std::size(name)));
        if (std::string_view(name) == "#32770" && ::GetDlgItem(window, IDCANCEL) == nullptr)
          ::EndDialog(window, IDCANCEL);
        else
          ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return TRUE;
      },
      TRUE);
}

void CALLBACK WatchTimer(HWND, UINT, UINT_PTR, DWORD) {
  Guard([] {
    Watch watch;
    {
      const std::lock_guard guard(g_watch_lock);
      const auto it = Watches().find(::GetCurrentThreadId());
      if (it == Watches().end()) return;
      watch = it->second;
      it->second.turn = 0;
    }
    Turn().Give(watch.turn);
    // A destroyed host window ends the request as a cancel would.
    if (watch.host != nullptr && !::IsWindow(watch.host)) Requests().Close(watch.id);
    if (Requests().Wanted(watch.id)) return;
    // Asked again on every tick until the dialog is gone: a nested box (the save dialog's overwrite question)
    // ends first, then the dialog under it.
    ::EnumThreadWindows(::GetCurrentThreadId(), &EndThreadWindow, 0);
  });
}

// The watch of one dialog thread, for as long as its dialog runs.
class Watched {
 public:
  explicit Watched(Watch watch) {
    // A request closed while it waits for its turn stops waiting: its thread winds down without a dialog.
    watch.turn = Turn().Take([id = watch.id] { return Requests().Wanted(id); }, std::chrono::milliseconds{kWatchMs});
    {
      const std::lock_guard guard(g_watch_lock);
      Watches()[::GetCurrentThreadId()] = watch;
    }
    timer_ = ::SetTimer(nullptr, 0, kWatchMs, &WatchTimer);
  }
  Watched(const Watched&) = delete;
  Watched& operator=(const Watched&) = delete;
  ~Watched() {
    if (timer_ != 0) ::KillTimer(nullptr, timer_);
    std::uint64_t turn = 0;
    {
      const std::lock_guard guard(g_watch_lock);
      const auto it = Watches().find(::GetCurrentThreadId());
      if (it != Watches().end()) turn = it->second.turn;
      Watches().erase(::GetCurrentThreadId());
    }
    Turn().Give(turn);  // its dialog ended (or never came) before its loop ran a tick
  }

 private:
  UINT_PTR timer_ = 0;
};

}  // namespace

int StartRequest(DialogJob job) {
  const HWND host = host::FindHostWindow();
  const int id = Requests().Open();
  if (id == 0) return 0;
  const bool started = RunOnOwnThread([id, host, job = std::move(job)] {
    RequestEnd end{RequestStatus::NotShown, {}, {}};
    // Closed before its thread got going, or while it waited for its turn to build: no dialog at all. A closed
    // request's thread that never waits for that turn winds down at once.
    if (Requests().Wanted(id)) {
      const Watched watched({id, host});
      if (Requests().Wanted(id))
        end = Guard([&] { return job(); }, [] { return RequestEnd{RequestStatus::NotShown, {}, {}}; });
    }
    Requests().Finish(id, std::move(end));
  });
  if (!started) Requests().Abandon(id);
  return started ? id : 0;
}

// The box has no owner, like its modal twin; topmost, so that it stays above the host window it does not disable.
// A service-notification box (and a default-desktop one) is shown without a message loop on this thread: its watch
// would never tick and CloseDialog could not end it, so those two flags are dropped.
DialogJob MessageJob(std::string text, std::string caption, int flags) {
  flags &= ~(MB_SERVICE_NOTIFICATION | MB_DEFAULT_DESKTOP_ONLY);
  return [text = std::move(text), caption = std::move(caption), flags] {
    const int button = window::Request(text.c_str(), caption.c_str(), flags | MB_TOPMOST);
    if (button == 0) return RequestEnd{RequestStatus::NotShown, {}, {}};
    return RequestEnd{RequestStatus::Answered, std::to_string(button), {}};
  };
}

int ChooseFileAsync(const char* title, const char* filter, int multi) {
  return StartRequest(ChooseFileJob(title, filter, multi));
}
int SaveAsAsync(const char* title, const char* filter) { return StartRequest(SaveAsJob(title, filter)); }
int BrowseFolderAsync(const char* title, const char* initial_folder) {
  return StartRequest(BrowseFolderJob(title, initial_folder));
}
// Not owned (an owner on another thread would be disabled by the dialog and share its input state), but centred
// on the host window.
int OpenColorDialogAsync(int initial_colour) {
  return StartRequest(ColourJob(initial_colour, {nullptr, host::FindHostWindow()}));
}
int OpenDateTimePickerAsync(const char* title) { return StartRequest(PickerJob(title, {nullptr, nullptr})); }
int RequestAsync(const char* text, const char* caption, int flags) {
  return StartRequest(MessageJob(text, caption, flags));
}
int InputTextAsync(const char* title, const char* prompt, const char* text, int flags) {
  return StartRequest(InputTextJob(title, prompt, text, flags, {nullptr, host::FindHostWindow()}));
}

int DialogStatus(int id) { return static_cast<int>(Requests().Status(id)); }

bool ReadDialogResult(int id, const std::function<bool(const std::string&)>& hand_over) {
  return Requests().Read(id, hand_over);
}

void CloseDialog(int id) { Requests().Close(id); }

}  // namespace hostkit::dialogs
