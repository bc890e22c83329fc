// The asynchronous open and save dialogs under Wine: started in another folder (SetInitialDir) while the host's
// frames read the working folder, which never moves, during or after; their answers are the modal twins'.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/harness/dialog_driver.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

constexpr int kTypeCombo = 0x470;

int Status(int id) { return e2e::Host().Int("GetDialogStatus", id); }
std::string Result(int id) { return e2e::Host().Str("GetDialogResult", id).value_or("<null>"); }

std::string WorkingFolder() {
  char path[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, path);
  return path;
}

// The host's frame loop: every frame handles the host's messages and notes the working folder, until `done`.
std::set<std::string> RunFrames(const std::function<bool()>& done, DWORD timeout_ms = 10000) {
  std::set<std::string> seen;
  const DWORD start = GetTickCount();
  do {
    hostrun::HostDouble::Pump();
    seen.insert(WorkingFolder());
    Sleep(5);
  } while (!done() && GetTickCount() - start < timeout_ms);
  return seen;
}

std::vector<std::string> TypeLabels(HWND dialog, int& selected) {
  const HWND combo = GetDlgItem(dialog, kTypeCombo);
  selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  std::vector<std::string> labels;
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char label[256] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(label));
    labels.emplace_back(label);
  }
  return labels;
}

void Confirm(HWND dialog, const std::string& name) {
  e2e::TypeFileName(dialog, name);
  e2e::PressButton(dialog, IDOK);
}

// The name of a file whose name the code page lacks, as the answer gives it: its short form.
std::string ShortAnsi(const std::wstring& path) {
  wchar_t short_path[MAX_PATH] = {};
  GetShortPathNameW(path.c_str(), short_path, MAX_PATH);
  char ansi[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, short_path, -1, ansi, MAX_PATH, nullptr, nullptr);
  return ansi;
}

// Sets the working folder back at the end of the scope.
struct RestoredFolder {
  std::string folder = WorkingFolder();
  ~RestoredFolder() { SetCurrentDirectoryA(folder.c_str()); }
};

struct Case {
  const char* name;
  bool save;
  int multi;
  std::function<void(HWND dialog, int id)> drive;
  int status;
  std::string answer;
};

TEST(DialogsAsyncFile, StartedInAnotherFolderTheyLeaveTheWorkingFolderAndAnswerAsTheModalTwins) {
  hostrun::HostDouble& host = e2e::Host();
  const e2e::TempDir game, other;
  for (const char* name : {"a.txt", "b.txt", "c.dat", "old.txt"}) e2e::WriteTextFile(other / name, "x");
  const std::wstring wide_name = std::wstring(other.path().begin(), other.path().end()) + L"\\\x4E2D.txt";
  CloseHandle(CreateFileW(wide_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  // A tolerance for Wine, measured under Wine 8: its save dialog adds the selected type's first extension to a
  // name without it, where Windows adds none (no default extension is set).
  const bool wine_adds_the_types_extension = e2e::RunningOnWine();
  const std::string notes = wine_adds_the_types_extension ? other / "notes.txt" : other / "notes";
  const Case cases[] = {
      {"one file", false, 0, [](HWND d, int) { Confirm(d, "a.txt"); }, 1, other / "a.txt"},
      {"several files", false, 1, [](HWND d, int) { Confirm(d, "\"b.txt\" \"a.txt\""); }, 1,
       other.path() + "|b.txt|a.txt"},
      {"one file of a multiple selection", false, 1, [](HWND d, int) { Confirm(d, "c.dat"); }, 1, other / "c.dat"},
      {"a name the code page lacks", false, 0,
       [](HWND d, int) {
         SendMessageW(GetDlgItem(d, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\x4E2D.txt"));
         e2e::PressButton(d, IDOK);
       },
       1, ShortAnsi(wide_name)},
      {"cancelled", false, 1, [](HWND d, int) { e2e::PressButton(d, IDCANCEL); }, 2, ""},
      {"closed by the script", false, 0, [&](HWND, int id) { host.Run("CloseDialog", id); }, 2, ""},
      {"saved", true, 0, [](HWND d, int) { Confirm(d, "new.txt"); }, 1, other / "new.txt"},
      {"saved without an extension", true, 0, [](HWND d, int) { Confirm(d, "notes"); }, 1, notes},
      {"overwrite: No, then Yes", true, 0,
       [](HWND d, int) {
         for (const int reply : {IDNO, IDYES}) {
           Confirm(d, "old.txt");
           const HWND question = e2e::WaitForDialog(e2e::OwnedBy("#32770", d));
           ASSERT_NE(question, nullptr) << "no overwrite question";
           EXPECT_EQ(e2e::WindowText(question), "Async file");
           e2e::PressButton(question, reply);
           ASSERT_TRUE(e2e::WaitForClose(question));
         }
       },
       1, other / "old.txt"},
  };
  const RestoredFolder restored;  // before the folders go
  ASSERT_TRUE(SetCurrentDirectoryA(game.path().c_str()));
  host.Run("SetInitialDir", other.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int id = c.save ? host.Int("SaveAsDialogAsync", "Async file", "Text|*.txt|Data|*.dat|All|*.*|")
                          : host.Int("ChooseFileDialogAsync", "Async file", "Text|*.txt|Data|*.dat|All|*.*|", c.multi);
    ASSERT_GE(id, 1);
    HWND dialog = nullptr;
    std::set<std::string> seen =
        RunFrames([&] { return (dialog = e2e::WaitForWindow(e2e::Titled("#32770", "Async file"), 0)) != nullptr; });
    ASSERT_NE(dialog, nullptr) << "status " << Status(id);
    ASSERT_TRUE(e2e::WaitUntilIdle(dialog));
    EXPECT_TRUE(e2e::IsTopmost(dialog));
    int selected = -2;
    EXPECT_EQ(TypeLabels(dialog, selected), (std::vector<std::string>{"Text", "Data", "All"}));
    EXPECT_EQ(selected, 0);
    const std::set<std::string> open = RunFrames([] { return false; }, 100);
    seen.insert(open.begin(), open.end());
    c.drive(dialog, id);
    const std::set<std::string> closing = RunFrames([&] { return Status(id) != 0 && !IsWindow(dialog); });
    seen.insert(closing.begin(), closing.end());
    EXPECT_EQ(seen, std::set<std::string>{game.path()}) << "the host's frames saw the working folder move";
    EXPECT_EQ(Status(id), c.status);
    EXPECT_EQ(Result(id), c.answer);
    EXPECT_EQ(WorkingFolder(), game.path());
  }
  EXPECT_EQ(GetFileAttributesA((other / "new.txt").c_str()), INVALID_FILE_ATTRIBUTES) << "nothing is created";
  // The modal twin keeps the hook dialog, which moves the working folder, and leaves it moved.
  e2e::WithHelper(
      [&] {
        const HWND d = e2e::WaitForDialog(e2e::Titled("#32770", "Modal"));
        ASSERT_NE(d, nullptr);
        Confirm(d, "a.txt");
      },
      [&] { EXPECT_EQ(host.Str("ChooseFileDialog", "Modal", "", 0).value_or("<null>"), other / "a.txt"); });
  EXPECT_EQ(WorkingFolder(), other.path());
}

}  // namespace
