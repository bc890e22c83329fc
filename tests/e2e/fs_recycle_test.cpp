// The recycle bin under Wine: files and folders leave their folder, refusals touch nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "host/win_handle.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Where Wine keeps what it recycles: the desktop's trash, $XDG_DATA_HOME/Trash/files, which tools/wine/run.sh puts
// in the build folder and which the Windows side sees through drive Z:. Where the platform could not recycle an
// item, it deletes it for good and still answers 0 (measured with a trash folder that could not be made), so the
// item must be found here. Windows has its recycle bin instead: nothing to look at.
std::string WineTrash() {
  char unix_path[MAX_PATH] = {};
  const DWORD count = GetEnvironmentVariableA("XDG_DATA_HOME", unix_path, MAX_PATH);
  if (!e2e::RunningOnWine() || count == 0 || count >= MAX_PATH) return {};
  std::string path = std::string("Z:") + unix_path + "/Trash/files/";
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// The second name that Wine's Z: drive (the Unix root) gives a folder of drive C:, through the prefix's drive_c
// folder or its dosdevices\c: link. Empty off Wine, where no drive reaches another's folders by itself.
std::string WineZName(const std::string& path, const char* drive_c) {
  char prefix[MAX_PATH] = {};
  const DWORD count = GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH);
  if (!e2e::RunningOnWine() || count == 0 || count >= MAX_PATH || path.compare(0, 3, "C:\\") != 0) return {};
  std::string name = std::string("Z:") + prefix + "/" + drive_c + "/" + path.substr(3);
  for (char& c : name)
    if (c == '/') c = '\\';
  return name;
}

std::string UniqueName(const char* stem) {
  return std::string(stem) + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount());
}

TEST(Recycle, AFileAndAFolderWithContentLeaveTheirFolderForTheBin) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  const std::string file = UniqueName("file") + ".txt", folder = UniqueName("folder");
  e2e::WriteTextFile(dir / file, "saved");
  ASSERT_TRUE(CreateDirectoryA((dir / folder).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((dir / folder + "\\inner").c_str(), nullptr));
  e2e::WriteTextFile(dir / folder + "\\inner\\deep.txt", "deep");
  e2e::WriteTextFile(dir / "stays.txt", "stays");

  EXPECT_EQ(host.Int("FileRecycle", dir / file), 0);
  EXPECT_EQ(host.Int("FileRecycle", dir / folder + "\\"), 0);  // a separator at the end names the same folder
  EXPECT_FALSE(Exists(dir / file));
  EXPECT_FALSE(Exists(dir / folder));
  EXPECT_TRUE(Exists(dir / "stays.txt"));
  if (const std::string trash = WineTrash(); !trash.empty()) {
    EXPECT_TRUE(Exists(trash + file)) << trash;
    EXPECT_TRUE(Exists(trash + folder + "\\inner\\deep.txt")) << trash;
  }
}

TEST(Recycle, ARelativePathIsTakenAgainstTheWorkingDirectory) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  ASSERT_TRUE(CreateDirectoryA((dir / "sub").c_str(), nullptr));
  const std::string name = UniqueName("relative") + ".txt";
  e2e::WriteTextFile(dir / "sub\\" + name, "x");
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  EXPECT_EQ(host.Int("FileRecycle", "sub\\..\\sub\\" + name), 0);
  SetCurrentDirectoryA(previous);
  EXPECT_FALSE(Exists(dir / "sub\\" + name));
  EXPECT_TRUE(Exists(dir / "sub"));
}

TEST(Recycle, MissingPathsFailAndRefusalsTouchNothing) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  e2e::WriteTextFile(dir / "a.txt", "a");
  e2e::WriteTextFile(dir / "b.txt", "b");

  // The shell's own code for a path in a missing folder (124, DE_INVALIDFILES) comes back as the Win32 code.
  EXPECT_EQ(host.Int("FileRecycle", dir / "missing.txt"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(host.Int("FileRecycle", dir / "missing\\a.txt"), ERROR_PATH_NOT_FOUND);
  const struct {
    std::string path;
    int expected;
  } refusals[] = {
      {dir / "*.txt", ERROR_INVALID_NAME},
      {dir / "?.txt", ERROR_INVALID_NAME},
      {dir.path() + "\\*", ERROR_INVALID_NAME},
      {"", ERROR_INVALID_PARAMETER},
      // Network paths have no recycle bin: refused before the server is looked for (with a name that does not
      // exist, so that nothing would be lost were the refusal missing).
      {"\\\\no-such-server.invalid\\share\\", ERROR_NOT_SUPPORTED},
      {"\\\\no-such-server.invalid\\share\\x.txt", ERROR_NOT_SUPPORTED},
      {"//no-such-server.invalid/share", ERROR_NOT_SUPPORTED},
  };
  for (const auto& r : refusals) EXPECT_EQ(host.Int("FileRecycle", r.path), r.expected) << r.path;
  EXPECT_EQ(host.Int("FileRecycle", nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Exists(dir / "a.txt"));
  EXPECT_TRUE(Exists(dir / "b.txt"));
}

// Under Wine ".." moved the whole parent of the working folder to the trash, open files included, and answered 0.
TEST(Recycle, TheWorkingFolderAndEveryFolderAboveItAreRefusedWithTheirFilesHeldOpen) {
  auto& host = e2e::Host();
  e2e::TempDir sandbox;
  const std::string game = sandbox / "Game";
  ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((game + "\\sub").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((game + "\\saves").c_str(), nullptr));
  e2e::WriteTextFile(game + "\\held.txt", "open");
  const hostkit::win::UniqueFile held(CreateFileA((game + "\\held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(game.c_str()));

  std::string lower = game;
  CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
  std::vector<std::string> refused = {".", ".\\", "sub\\..", "..", "..\\Game", lower, sandbox.path() + "\\"};
  // Drive-relative: the drive's current folder, here the working folder.
  refused.push_back(game.substr(0, 2));
  refused.push_back(game.substr(0, 2) + ".");
  for (const std::string& path : refused) EXPECT_EQ(host.Int("FileRecycle", path), ERROR_CURRENT_DIRECTORY) << path;
  // A folder inside the working folder is no part of it.
  EXPECT_EQ(host.Int("FileRecycle", "saves"), 0);
  SetCurrentDirectoryA(previous);

  EXPECT_TRUE(Exists(game + "\\held.txt"));
  EXPECT_TRUE(Exists(game + "\\sub"));
  EXPECT_FALSE(Exists(game + "\\saves"));
}

// Measured under Wine before this refusal: the working folder's parent by its Z: name answered 0 and went to the
// bin with the working folder and the save in it. Windows has other names that Wine cannot make: junctions,
// symbolic links to folders, SUBST drives and mounted folders; there the same identity is compared.
TEST(Recycle, OtherNamesOfTheWorkingFolderAndOfTheFoldersAboveItAreRefused) {
  auto& host = e2e::Host();
  e2e::TempDir sandbox;
  const std::string game = sandbox / "game", beside = sandbox / "beside";
  ASSERT_TRUE(CreateDirectoryA(game.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(beside.c_str(), nullptr));
  e2e::WriteTextFile(game + "\\slot1.sav", "progress");
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(game.c_str()));

  std::vector<std::pair<std::string, int>> refused = {
      {"\\\\.\\" + game, ERROR_INVALID_NAME},
      {"\\\\?\\" + game, ERROR_INVALID_NAME},
      {"\\\\.\\" + sandbox.path(), ERROR_INVALID_NAME},
      {"\\??\\" + sandbox.path(), ERROR_INVALID_NAME},
      {"\\\\.\\" + game + "\\slot1.sav", ERROR_INVALID_NAME},
  };
  if (e2e::RunningOnWine()) {
    for (const char* drive_c : {"drive_c", "dosdevices/c:"}) {
      refused.emplace_back(WineZName(game, drive_c), ERROR_CURRENT_DIRECTORY);
      refused.emplace_back(WineZName(sandbox.path(), drive_c), ERROR_CURRENT_DIRECTORY);
      refused.emplace_back(WineZName(sandbox.path(), drive_c) + "\\", ERROR_CURRENT_DIRECTORY);
    }
    refused.emplace_back(WineZName("C:\\", "drive_c"), ERROR_CURRENT_DIRECTORY);
  }
  for (const auto& [path, expected] : refused) EXPECT_EQ(host.Int("FileRecycle", path), expected) << path;
  // The identity refuses only what holds the working folder: a folder beside it goes by either name.
  const std::string beside_name = e2e::RunningOnWine() ? WineZName(beside, "drive_c") : beside;
  EXPECT_EQ(host.Int("FileRecycle", beside_name), 0) << beside_name;
  SetCurrentDirectoryA(previous);

  EXPECT_TRUE(Exists(game + "\\slot1.sav"));
  EXPECT_FALSE(Exists(beside));
}

}  // namespace
