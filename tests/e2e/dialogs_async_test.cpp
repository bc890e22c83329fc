// The asynchronous dialogs under Wine: the host's thread keeps running frames while each dialog is open on a thread
// of its own, and the answer comes back by id. The test's thread is the host's: it starts, polls and reads, and
// drives the dialogs directly (they belong to other threads, so nothing here waits on its own loop).
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/harness/dialog_driver.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

constexpr int kNameBox = 0x47C;  // the file dialogs' name box
constexpr int kEdit = 101;       // the text dialog's edit field
// An ...Async call returns well within this (it starts a thread and returns); generous for a loaded machine.
constexpr DWORD kStartBoundMs = 1000;

// The host's frame loop: handles its messages, one frame about every 5 ms, until `done` or the timeout.
int RunFrames(const std::function<bool()>& done, DWORD timeout_ms = 10000) {
  int frames = 0;
  const DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < timeout_ms) {
    hostrun::HostDouble::Pump();
    Sleep(5);
    ++frames;
  }
  return frames;
}

int Status(int id) { return e2e::Host().Int("GetDialogStatus", id); }
std::string Result(int id) { return e2e::Host().Str("GetDialogResult", id).value_or("<null>"); }

// Waits, running frames, for the request's dialog; then runs a few frames more with it open.
HWND WaitWhileRunningFrames(const e2e::WindowQuery& query, int id, int& frames_open) {
  HWND dialog = nullptr;
  RunFrames([&] { return (dialog = e2e::WaitForWindow(query, 0)) != nullptr || Status(id) != 0; });
  if (dialog == nullptr || !e2e::WaitUntilIdle(dialog)) return nullptr;
  frames_open = RunFrames([] { return false; }, 100);
  return dialog;
}

bool Above(HWND window, HWND other) {
  for (HWND w = GetWindow(window, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
    if (w == other) return true;
  return false;
}

int TimedStart(const std::function<int()>& start, DWORD& took_ms) {
  const DWORD before = GetTickCount();
  const int id = start();
  took_ms = GetTickCount() - before;
  return id;
}

struct Kind {
  const char* name;
  std::function<int()> start;
  e2e::WindowQuery query;
  std::function<void(HWND)> confirm;
  std::string answer;
  int end_button;  // the second run's button: a cancel, or for the message box another answer
  int end_status;
  std::string end_answer;
};

TEST(DialogsAsync, EachKindAnswersByIdWhileTheHostRunsFrames) {
  hostrun::HostDouble& host = e2e::Host();
  e2e::TempDir dir;
  const std::string file = dir / "chosen.txt";
  const std::string saved = dir / "saved.txt";
  const std::string folder = dir / "Folder";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  e2e::ListFoldersOnPath(folder);
  const std::vector<Kind> kinds = {
      {"open", [&] { return host.Int("ChooseFileDialogAsync", "Async open", "Text|*.txt", 0); },
       e2e::Titled("#32770", "Async open"), [&](HWND d) { e2e::SetControlText(d, kNameBox, file); }, file, IDCANCEL, 2,
       ""},
      {"save", [&] { return host.Int("SaveAsDialogAsync", "Async save", "Text|*.txt"); },
       e2e::Titled("#32770", "Async save"), [&](HWND d) { e2e::SetControlText(d, kNameBox, saved); }, saved, IDCANCEL,
       2, ""},
      {"folder", [&] { return host.Int("BrowseFolderDialogAsync", "Async folder", folder); }, e2e::OfClass("#32770"),
       [](HWND) {}, folder, IDCANCEL, 2, ""},
      {"colour", [&] { return host.Int("OpenColorDialogAsync", 0x00123456); }, e2e::OfClass("#32770"), [](HWND) {},
       std::to_string(0x00123456), IDCANCEL, 2, ""},
      {"picker", [&] { return host.Int("OpenDateTimePickerAsync", "Async pick"); },
       e2e::Titled("DateTimeDlg", "Async pick"), [](HWND) {}, "1", IDCANCEL, 2, ""},
      {"message box", [&] { return host.Int("RequestAsync", "Go on?", "Async box", MB_YESNO); },
       e2e::Titled("#32770", "Async box"), [](HWND) {}, "6", IDNO, 1, "7"},
      {"text", [&] { return host.Int("InputTextAsync", "Async text", "Your name:", "Ada", 0); },
       e2e::Titled("#32770", "Async text"), [](HWND) {}, "Ada", IDCANCEL, 2, ""},
  };
  for (const Kind& kind : kinds) {
    for (const bool confirm : {true, false}) {
      SCOPED_TRACE(std::string(kind.name) + (confirm ? ": confirmed" : ": ended"));
      DWORD took = 0;
      const int id = TimedStart(kind.start, took);
      ASSERT_GE(id, 1);
      EXPECT_LT(took, kStartBoundMs);
      int frames_open = 0;
      const HWND dialog = WaitWhileRunningFrames(kind.query, id, frames_open);
      ASSERT_NE(dialog, nullptr) << "status " << Status(id);
      EXPECT_GE(frames_open, 5) << "the host ran frames while the dialog was open";
      EXPECT_EQ(Status(id), 0);
      EXPECT_EQ(Result(id), "") << "an open request has no result yet";
      EXPECT_TRUE(IsWindowEnabled(host.window())) << "the host window stays enabled";
      // Wine tolerances: Wine 8 ignores HWND_TOPMOST for the folder browser (its window lacks WS_POPUP, as the
      // modal placement tests name it) and leaves a box with MB_TOPMOST without WS_EX_TOPMOST (measured here).
      // Such a dialog must at least stand above the host window.
      const bool wine_ignores_topmost = kind.name == std::string("folder") || kind.name == std::string("message box");
      if (!wine_ignores_topmost || e2e::IsTopmost(dialog))
        EXPECT_TRUE(e2e::IsTopmost(dialog));
      else
        EXPECT_TRUE(Above(dialog, host.window()));
      if (confirm) kind.confirm(dialog);
      e2e::PressButton(dialog, confirm ? (kind.answer == "6" ? IDYES : IDOK) : kind.end_button);
      RunFrames([&] { return Status(id) != 0; });
      EXPECT_EQ(Status(id), confirm ? 1 : kind.end_status);
      EXPECT_EQ(Result(id), confirm ? kind.answer : kind.end_answer);
      EXPECT_EQ(Status(id), -1) << "forgotten once read";
      EXPECT_EQ(Result(id), "");
      EXPECT_TRUE(e2e::WaitForClose(dialog));
    }
  }
  EXPECT_NE(host.Int("GetDateYear"), 0) << "the picker's date is stored when its result is read";
}

BOOL CALLBACK CountMany(HWND window, LPARAM count) {
  *reinterpret_cast<int*>(count) += e2e::ClassOf(window) == "#32770" && e2e::WindowText(window) == "Many";
  return TRUE;
}

TEST(DialogsAsync, SixteenOpenTheSeventeenthRefusedAndCloseDialogEndsEach) {
  hostrun::HostDouble& host = e2e::Host();
  std::vector<int> ids;
  for (int i = 0; i < 16; ++i) ids.push_back(host.Int("InputTextAsync", "Many", std::to_string(i), "", 0));
  for (const int id : ids) EXPECT_GE(id, 1);
  EXPECT_EQ(host.Int("InputTextAsync", "Many", "17th", "", 0), 0);
  EXPECT_EQ(Status(0), -1);
  RunFrames([&] {
    int open = 0;
    EnumWindows(&CountMany, reinterpret_cast<LPARAM>(&open));
    return open == 16;
  });
  // A modal dialog opens while they are open.
  std::string modal;
  e2e::WithHelper(
      [] {
        const HWND d = e2e::WaitForDialog(e2e::Titled("#32770", "Modal"));
        ASSERT_NE(d, nullptr);
        e2e::SetControlText(d, kEdit, "typed");
        e2e::PressButton(d, IDOK);
      },
      [&] { modal = host.Str("InputText", "Modal", "Type:", "", 0).value_or("<null>"); });
  EXPECT_EQ(modal, "typed");
  for (const int id : ids) {
    host.Run("CloseDialog", id);
    EXPECT_EQ(Status(id), 2) << "ended at once";
  }
  host.Run("CloseDialog", ids[0]);  // closed twice, and ids never made: nothing happens
  for (const int bad : {0, -1, 99999}) host.Run("CloseDialog", bad);
  EXPECT_TRUE(e2e::WaitForClose(e2e::WaitForWindow(e2e::Titled("#32770", "Many"), 0), 5000));
  for (const int id : ids) EXPECT_EQ(Result(id), "");
  for (const int id : ids) EXPECT_EQ(Status(id), -1);
  // Every thread has ended once the windows are gone: sixteen start again.
  RunFrames([] { return e2e::WaitForWindow(e2e::Titled("#32770", "Many"), 0) == nullptr; });
  Sleep(200);
  const int again = host.Int("InputTextAsync", "Again", "", "", 0);
  EXPECT_GE(again, 1);
  host.Run("CloseDialog", again);
}

// The text dialog's flags and bytes, the modal twin included.
TEST(DialogsInputText, FlagsShapeTheFieldAndEveryByteComesBack) {
  hostrun::HostDouble& host = e2e::Host();
  std::string high;
  for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
  struct Case {
    const char* name;
    int flags;
    std::string typed;  // "" keeps the default text
    std::string answer;
    bool password;
    bool ok_enabled_when_empty;
  };
  const Case cases[] = {
      {"plain", 0, "", "default", false, true},         {"password", 1, "secret", "secret", true, true},
      {"digits only", 2, "a1b2-3", "123", false, true}, {"needs text", 4, "x", "x", false, false},
      {"high bytes", 0, high, high, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int id = host.Int("InputTextAsync", "Flags", "Prompt", "default", c.flags);
    int frames = 0;
    const HWND d = WaitWhileRunningFrames(e2e::Titled("#32770", "Flags"), id, frames);
    ASSERT_NE(d, nullptr);
    const HWND edit = GetDlgItem(d, kEdit);
    EXPECT_EQ((GetWindowLongA(edit, GWL_STYLE) & ES_PASSWORD) != 0, c.password);
    EXPECT_EQ(e2e::ClassOf(edit), "Edit");
    EXPECT_EQ(e2e::WindowText(GetDlgItem(d, IDOK)) + "|" + e2e::WindowText(GetDlgItem(d, IDCANCEL)), "OK|Cancel");
    e2e::SetControlText(d, kEdit, "");
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, IDOK)) != 0, c.ok_enabled_when_empty);
    e2e::PressButton(d, IDOK);  // refused while disabled
    RunFrames([] { return false; }, 100);
    EXPECT_EQ(Status(id), c.ok_enabled_when_empty ? 1 : 0);
    if (!c.ok_enabled_when_empty) {
      e2e::SetControlText(d, kEdit, c.typed);
      e2e::PressButton(d, IDOK);
      RunFrames([&] { return Status(id) != 0; });
      EXPECT_EQ(Result(id), c.answer);
      continue;
    }
    EXPECT_EQ(Result(id), "");  // the empty text it was confirmed with
    const int again = host.Int("InputTextAsync", "Flags", "Prompt", "default", c.flags);
    const HWND d2 = WaitWhileRunningFrames(e2e::Titled("#32770", "Flags"), again, frames);
    ASSERT_NE(d2, nullptr);
    if (!c.typed.empty()) e2e::SetControlText(d2, kEdit, c.typed);
    e2e::PressButton(d2, IDOK);
    RunFrames([&] { return Status(again) != 0; });
    EXPECT_EQ(Result(again), c.answer);
  }
  // The modal twin: confirmed, cancelled, and the host disabled while it runs.
  for (const bool ok : {true, false}) {
    bool host_enabled = true;
    std::string answer;
    e2e::WithHelper(
        [&] {
          const HWND d = e2e::WaitForDialog(e2e::OwnedBy("#32770", host.window()));
          ASSERT_NE(d, nullptr);
          host_enabled = IsWindowEnabled(host.window()) != 0;
          e2e::PressButton(d, ok ? IDOK : IDCANCEL);
        },
        [&] { answer = host.Str("InputText", "Modal", nullptr, "kept", 0).value_or("<null>"); });
    EXPECT_EQ(answer, ok ? "kept" : "");
    EXPECT_FALSE(host_enabled);
    EXPECT_TRUE(IsWindowEnabled(host.window()));
  }
}

// Starts a text dialog of this title and waits, running frames, until it is open; null if it never opens.
HWND OpenTextDialog(const char* title, const char* text, int& id) {
  id = e2e::Host().Int("InputTextAsync", title, "Prompt", text, 0);
  int frames = 0;
  return WaitWhileRunningFrames(e2e::Titled("#32770", title), id, frames);
}

// An answer the host's buffer refused stays for the next read, and goes once it has been handed over.
TEST(DialogsAsync, AnAnswerStaysWhileTheHostRefusesItsBuffer) {
  hostrun::HostDouble& host = e2e::Host();
  int id = 0;
  const HWND d = OpenTextDialog("Kept", "the answer", id);
  ASSERT_NE(d, nullptr);
  e2e::PressButton(d, IDOK);
  RunFrames([&] { return Status(id) != 0; });
  hostrun::HostDouble::RefuseStrings(true);
  EXPECT_EQ(host.Str("GetDialogResult", id), std::nullopt);
  hostrun::HostDouble::RefuseStrings(false);
  EXPECT_EQ(Status(id), 1);
  EXPECT_EQ(Result(id), "the answer");
  EXPECT_EQ(Status(id), -1);
  EXPECT_EQ(Result(id), "");
}

// Starts a text dialog and closes it at once, as a script that gives up on a request in the frame it made it.
int StartAndClose(const char* title) {
  const int id = e2e::Host().Int("InputTextAsync", title, "", "", 0);
  e2e::Host().Run("CloseDialog", id);
  return id;
}

// Closed requests are no longer open, however slowly their threads wind down: every back-to-back start gets an id.
TEST(DialogsAsync, BackToBackStartAndCloseRoundsAllStart) {
  std::vector<int> ids;
  for (int round = 1; round <= 20; ++round) {
    ids.push_back(StartAndClose("Round"));
    EXPECT_GE(ids.back(), 1) << "round " << round;
  }
  for (const int id : ids) {
    EXPECT_EQ(Status(id), 2);
    EXPECT_EQ(Result(id), "");
  }
  RunFrames([] { return e2e::WaitForWindow(e2e::Titled("#32770", "Round"), 0) == nullptr; });
}

// The host makes the buffer for a colour dialog's answer while 16 other requests end; 64 ended ones are kept, the
// colour dialog's the oldest. It must not be pushed out between its answer and its side effect, the custom colours.
TEST(DialogsAsync, AnAnswerReadWhileOthersEndKeepsItsSideEffect) {
  constexpr int kAddToCustom = 0x2C8;  // the colour dialog's "Add to Custom Colors"
  hostrun::HostDouble& host = e2e::Host();
  host.Run("SetCustomColor", 0, 0);
  const int colour = host.Int("OpenColorDialogAsync", 0x00123456);
  int frames = 0;
  const HWND d = WaitWhileRunningFrames(e2e::OfClass("#32770"), colour, frames);
  ASSERT_NE(d, nullptr);
  e2e::PressButton(d, kAddToCustom);
  e2e::PressButton(d, IDOK);
  RunFrames([&] { return Status(colour) != 0; });
  ASSERT_EQ(Status(colour), 1);
  // 63 more ended and unread; a start refused while too many threads wind down is tried again a frame later.
  std::vector<int> ended;
  while (ended.size() < 63) {
    const int id = StartAndClose("Ended");
    if (id != 0)
      ended.push_back(id);
    else
      RunFrames([] { return false; }, 20);
  }
  std::vector<int> open;
  for (int i = 0; i < 16; ++i) open.push_back(host.Int("InputTextAsync", "Open", "", "", 0));
  for (const int id : open) ASSERT_GE(id, 1);
  hostrun::HostDouble::BeforeNextString([&] {
    for (const int id : open) host.Run("CloseDialog", id);
  });
  EXPECT_EQ(Result(colour), std::to_string(0x00123456));
  EXPECT_EQ(host.Int("GetCustomColor", 0), 0x00123456) << "the side effect came with the answer";
  EXPECT_EQ(Status(colour), -1);
  // The 16 ends went past the bound: the oldest of the others went instead.
  for (std::size_t i = 0; i < ended.size(); ++i) EXPECT_EQ(Status(ended[i]), i < 16 ? -1 : 2) << i;
  for (const int id : ended) Result(id);
  for (const int id : open) EXPECT_EQ(Result(id), "");
  RunFrames([] { return e2e::WaitForWindow(e2e::Titled("#32770", "Open"), 0) == nullptr; });
}

// On Windows a service-notification box (or a default-desktop one) runs without a message loop on its thread: the
// watch never ticks, CloseDialog cannot end it, and it keeps later dialogs from being built. Wine cannot show such a
// box; this shows that the flags are dropped and the others kept: an ordinary box that CloseDialog ends, with a
// dialog started after it open beside it.
TEST(DialogsAsync, RequestAsyncShowsAServiceBoxAsAnOrdinaryOne) {
  hostrun::HostDouble& host = e2e::Host();
  const int box = host.Int("RequestAsync", "Go on?", "Service box",
                           MB_OKCANCEL | MB_SERVICE_NOTIFICATION | MB_DEFAULT_DESKTOP_ONLY);
  int frames = 0;
  const HWND d = WaitWhileRunningFrames(e2e::Titled("#32770", "Service box"), box, frames);
  ASSERT_NE(d, nullptr);
  EXPECT_NE(GetDlgItem(d, IDCANCEL), nullptr) << "MB_OKCANCEL still counts";
  int after = 0;
  EXPECT_NE(OpenTextDialog("After the box", "", after), nullptr);
  host.Run("CloseDialog", box);
  EXPECT_TRUE(e2e::WaitForClose(d));
  EXPECT_EQ(Result(box), "");
  host.Run("CloseDialog", after);
  RunFrames([] { return e2e::WaitForWindow(e2e::Titled("#32770", "After the box"), 0) == nullptr; });
}

TEST(DialogsAsync, DestroyingTheHostWindowEndsTheRequest) {
  hostrun::HostDouble& host = e2e::Host();
  int id = 0;
  const HWND d = OpenTextDialog("Orphan", "", id);
  ASSERT_NE(d, nullptr);
  DestroyWindow(host.window());
  RunFrames([&] { return Status(id) != 0; });
  EXPECT_EQ(Status(id), 2);
  EXPECT_TRUE(e2e::WaitForClose(d));
  EXPECT_EQ(Result(id), "");
}

// A host that frees the library with a dialog open: the library stays until the dialog ends, then goes.
TEST(DialogsAsync, UnloadingWithOneOpenKeepsTheLibraryUntilItEnds) {
  const std::string path = hostrun::ProgramDirectory() + "hostkit.dll";
  HMODULE module = LoadLibraryA(path.c_str());
  ASSERT_NE(module, nullptr);
  using Start = int (*)(const char*, const char*, const char*, int);
  const auto start =
      reinterpret_cast<Start>(reinterpret_cast<void*>(GetProcAddress(module, "?InputTextAsync@@YAHPBD00H@Z")));
  ASSERT_NE(start, nullptr);
  EXPECT_GE(start("Unloaded", "", "", 0), 1);
  const HWND d = e2e::WaitForDialog(e2e::Titled("#32770", "Unloaded"));
  ASSERT_NE(d, nullptr);
  FreeLibrary(module);
  EXPECT_NE(GetModuleHandleA("hostkit.dll"), nullptr) << "kept while its dialog is open";
  e2e::PumpFor(100);
  e2e::PressButton(d, IDCANCEL);
  EXPECT_TRUE(e2e::WaitForClose(d));
  const DWORD begin = GetTickCount();
  while (GetModuleHandleA("hostkit.dll") != nullptr && GetTickCount() - begin < 5000) Sleep(10);
  EXPECT_EQ(GetModuleHandleA("hostkit.dll"), nullptr) << "unloaded once the last dialog ended";
}

}  // namespace

namespace {

// The host double's own frame loop: a script starts a text dialog, runs frames while it is open, and ends it.
TEST(DialogsAsync, HostDoubleRunsFramesWhileADialogIsOpenAndCountsThem) {
  const auto run = e2e::RunHostrun("--stats -",
                                   "InputTextAsync \"Frames\" \"\" \"x\" 0\nFrames 10\nGetDialogStatus 1\n"
                                   "CloseDialog 1\nGetDialogStatus 1\nGetDialogResult 1\nGetDialogStatus 1\n");
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find("create-string")), "1\n0\n2\n\n-1\n");
  EXPECT_NE(run.out.find("\nframes: 10\n"), std::string::npos) << run.out;
}

}  // namespace

namespace {

// A host that ends while dialogs are open: the process exits at once (a hang would end as 99 after a minute).
TEST(DialogsAsync, AHostThatExitsWithDialogsOpenEndsAtOnce) {
  const DWORD begin = GetTickCount();
  const auto run = e2e::RunHostrun(
      "-",
      "InputTextAsync \"Left open\" \"\" \"\" 0\nOpenColorDialogAsync 255\nChooseFileDialogAsync \"Left\" \"\" 0\n"
      "Frames 40\n");
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_LT(GetTickCount() - begin, 20000u);
}

}  // namespace
