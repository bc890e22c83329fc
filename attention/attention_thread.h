#pragma once
// hostkit's attention thread: the tray icon of the notifications and, for a host thread without a COM apartment,
// the taskbar's progress. It runs while it has work: it starts with the first, keeps its own single-threaded
// apartment and a message-only window for the tray's messages, and ends a little after the last notification
// has gone. It holds a reference on this module for its whole life (dialogs/dialog_thread.h), so a host that
// frees the library while a notification shows unloads it once the icon is gone; nothing waits for it, under
// the loader lock or anywhere else.
#include <windows.h>

#include <memory>
#include <string>

#include "attention/attention_values.h"
#include "host/win_handle.h"

namespace hostkit::attention {

struct IconTraits {
  using Type = HICON;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) noexcept { ::DestroyIcon(h); }
};
using UniqueIcon = win::Unique<IconTraits>;

// A notification as the host's thread made it: the icon is a copy of the host's, so that the host may change or
// destroy its own meanwhile.
struct Notice {
  HWND host = nullptr;
  UniqueIcon icon;
  std::string tip;  // the game's title: the host window's caption
  std::string title;
  std::string text;
  unsigned balloon_flags = 0;
};

struct ProgressChange {
  HWND host = nullptr;
  Progress progress;
};

// Hands the work to the thread, which takes the newest of each kind: a notification replaces one not yet shown
// and the one showing. 0, or the Win32 error that kept the thread from starting.
DWORD PostNotice(std::unique_ptr<Notice> notice) noexcept;
DWORD PostProgress(std::unique_ptr<ProgressChange> change) noexcept;

// Sets the progress through the taskbar object, made on the calling thread's apartment (CO_E_NOTINITIALIZED
// without one).
HRESULT ApplyProgress(HWND host, const Progress& progress) noexcept;

}  // namespace hostkit::attention
