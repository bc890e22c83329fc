// The open, save and folder dialogs under Wine, driven from a helper thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/harness/dialog_driver.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

constexpr int kNameBox = 0x47C;      // cmb13
constexpr int kFilterCombo = 0x470;  // cmb1
constexpr int kFolderTree = 0x3741;

e2e::WindowQuery FileDialog(const std::string& title) { return e2e::Titled("#32770", title); }

std::string FolderOf(HWND dialog) {
  char path[MAX_PATH] = {};
  SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
  return path;
}

// Types the text into the name box and confirms it.
void TypeAndConfirm(HWND dialog, const std::string& text) {
  e2e::SetControlText(dialog, kNameBox, text);
  e2e::PressButton(dialog, IDOK);
}

std::string Open(const std::string& title, const std::string& filter, int multi,
                 const std::function<void(HWND)>& drive) {
  std::string answer = "<none>";
  e2e::WithHelper(
      [&] {
        const HWND dialog = e2e::WaitForDialog(FileDialog(title));
        ASSERT_NE(dialog, nullptr);
        drive(dialog);
      },
      [&] { answer = e2e::Host().Str("ChooseFileDialog", title, filter, multi).value_or("<null>"); });
  return answer;
}

std::vector<std::string> Split(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
    parts.push_back(text.substr(start, bar - start));
  parts.push_back(text.substr(start));
  return parts;
}

TEST(DialogsOpen, AnswersOnePathSeveralNamesOrNothing) {
  e2e::TempDir dir;
  for (const char* name : {"a.txt", "b.txt", "c.dat"}) e2e::WriteTextFile(dir / name, "x");
  const struct {
    const char* what;
    int multi;
    std::string typed;
    std::string expected;
  } cases[] = {
      {"one file", 0, dir / "a.txt", dir / "a.txt"},
      {"several files", 1, "\"a.txt\" \"b.txt\"", dir.path() + "|a.txt|b.txt"},
      {"multi-selection of one file", 1, dir / "c.dat", dir / "c.dat"},
  };
  e2e::Host().Run("SetInitialDir", dir.path());
  for (const auto& c : cases)
    EXPECT_EQ(Open("Open", "All|*.*", c.multi, [&](HWND d) { TypeAndConfirm(d, c.typed); }), c.expected) << c.what;
  EXPECT_EQ(Open("Open", "All|*.*", 1, [](HWND d) { e2e::PressButton(d, IDCANCEL); }), "") << "cancel";
}

TEST(DialogsOpen, TwoHundredFilesFitTheAnswer) {
  e2e::TempDir dir;
  std::string typed;
  std::set<std::string> names;
  for (int i = 0; i < 200; ++i) {
    const std::string name = "a_rather_long_document_name_" + std::to_string(1000 + i) + ".txt";
    e2e::WriteTextFile(dir / name, "x");
    names.insert(name);
    typed += "\"" + name + "\" ";
  }
  e2e::Host().Run("SetInitialDir", dir.path());
  const std::vector<std::string> parts = Split(Open("Many", "All|*.*", 1, [&](HWND d) { TypeAndConfirm(d, typed); }));
  ASSERT_EQ(parts.size(), 201u);
  EXPECT_EQ(parts[0], dir.path());
  EXPECT_EQ(std::set<std::string>(parts.begin() + 1, parts.end()), names);
}

TEST(DialogsOpen, ShowsEveryFilterPairWithTheFirstSelected) {
  for (const std::string filter : {"Text|*.txt|Data|*.dat|All|*.*", "Text|*.txt|Data|*.dat|All|*.*|"}) {
    std::vector<std::string> labels;
    int selected = -2;
    Open("Filters", filter, 0, [&](HWND dialog) {
      const HWND combo = GetDlgItem(dialog, kFilterCombo);
      selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
      const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        char label[256] = {};
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(label));
        labels.emplace_back(label);
      }
      e2e::PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(labels, (std::vector<std::string>{"Text", "Data", "All"})) << filter;
    EXPECT_EQ(selected, 0) << filter;
  }
}

TEST(DialogsOpen, StartsInTheInitialFolderGivenWithSlashes) {
  e2e::TempDir dir;
  std::string slashed = dir.path();
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  e2e::Host().Run("SetInitialDir", slashed);
  std::string folder;
  Open("Where", "", 0, [&](HWND d) {
    folder = FolderOf(d);
    e2e::PressButton(d, IDCANCEL);
  });
  EXPECT_EQ(folder, dir.path());
}

TEST(DialogsOpen, APathTooLongForTheInitialFolderIsRefused) {
  e2e::TempDir dir;
  e2e::Host().Run("SetInitialDir", dir.path());
  e2e::Host().Run("SetInitialDir", "C:/" + std::string(300, 'x'));
  std::string folder;
  Open("Long", "", 0, [&](HWND d) {
    folder = FolderOf(d);
    e2e::PressButton(d, IDCANCEL);
  });
  EXPECT_NE(folder, dir.path()) << "the earlier folder must not linger";
  EXPECT_EQ(folder.find("xxxx"), std::string::npos) << "no cut path is used";
}

TEST(DialogsOpen, LeavesTheCallersStringsAlone) {
  using ChooseFn = char* (*)(const char*, const char*, int);
  const auto choose = reinterpret_cast<ChooseFn>(
      reinterpret_cast<void*>(GetProcAddress(e2e::Host().module(), "?ChooseFileDialog@@YAPADPBD0H@Z")));
  ASSERT_NE(choose, nullptr);
  char title[] = "Untouched";
  char filter[] = "Text|*.txt|All|*.*|";
  char* answer = nullptr;
  e2e::WithHelper(
      [] {
        const HWND d = e2e::WaitForDialog(FileDialog("Untouched"));
        ASSERT_NE(d, nullptr);
        e2e::PressButton(d, IDCANCEL);
      },
      [&] { answer = choose(title, filter, 1); });
  ASSERT_NE(answer, nullptr) << "cancel answers an empty string, never null";
  EXPECT_STREQ(answer, "");
  EXPECT_STREQ(title, "Untouched");
  EXPECT_EQ(std::memcmp(filter, "Text|*.txt|All|*.*|", sizeof filter), 0);
}

std::string Save(const std::function<void(HWND)>& drive) {
  std::string answer = "<none>";
  e2e::WithHelper(
      [&] {
        const HWND dialog = e2e::WaitForDialog(FileDialog("Save as"));
        ASSERT_NE(dialog, nullptr);
        drive(dialog);
      },
      [&] { answer = e2e::Host().Str("SaveAsDialog", "Save as", "Text|*.txt").value_or("<null>"); });
  return answer;
}

TEST(DialogsSave, AnswersThePathAsTypedWithoutCreatingIt) {
  e2e::TempDir dir;
  const std::string path = dir / "new_name";
  EXPECT_EQ(Save([&](HWND d) { TypeAndConfirm(d, path); }), path) << "no extension is added";
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((path + ".txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Save([](HWND d) { e2e::PressButton(d, IDCANCEL); }), "");
}

TEST(DialogsSave, AsksBeforeOverwritingAndHonoursBothAnswers) {
  e2e::TempDir dir;
  const std::string path = dir / "old.txt";
  e2e::WriteTextFile(path, "keep");
  int questions = 0;
  const std::string answer = Save([&](HWND dialog) {
    for (const int reply : {IDNO, IDYES}) {  // No goes back to the file dialog, Yes confirms
      TypeAndConfirm(dialog, path);
      const HWND question = e2e::WaitForDialog(e2e::OwnedBy("#32770", dialog));
      ASSERT_NE(question, nullptr) << "no overwrite question";
      ++questions;
      EXPECT_EQ(e2e::WindowText(question), "Save as");
      e2e::PressButton(question, reply);
      ASSERT_TRUE(e2e::WaitForClose(question));
    }
  });
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(answer, path);
}

std::string Browse(const std::string& initial, const std::function<void(HWND)>& drive) {
  std::string answer = "<none>";
  e2e::WithHelper(
      [&] {
        const HWND dialog = e2e::WaitForDialog(e2e::OfClass("#32770"));
        ASSERT_NE(dialog, nullptr);
        drive(dialog);
      },
      [&] { answer = e2e::Host().Str("BrowseFolderDialog", "Pick a folder", initial).value_or("<null>"); });
  return answer;
}

std::string SelectedTreeItem(HWND dialog) {
  const HWND tree = GetDlgItem(dialog, kFolderTree);
  char text[MAX_PATH] = {};
  TVITEMA item{};
  item.mask = TVIF_TEXT;
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return text;
}

TEST(DialogsFolder, PreselectsTheInitialFolderAndAnswersTheConfirmedOne) {
  e2e::TempDir dir;
  const std::string folder = dir / "Chosen Folder";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  e2e::ListFoldersOnPath(folder);
  std::string selected;
  const std::string answer = Browse(folder, [&](HWND d) {
    selected = SelectedTreeItem(d);
    e2e::PressButton(d, IDOK);
  });
  EXPECT_EQ(selected, "Chosen Folder");
  EXPECT_EQ(answer, folder);
  EXPECT_EQ(Browse(folder, [](HWND d) { e2e::PressButton(d, IDCANCEL); }), "");
}

}  // namespace
