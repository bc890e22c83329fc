// File and folder operations on real files in a temporary folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(FileOps, FoldersAndAttributesAnswerZeroOrThePlatformsCode) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  e2e::WriteTextFile(dir / "file.txt", "x");
  const struct {
    const char* command;
    std::string path;
    int expected;
  } steps[] = {
      {"CreateFolder", dir / "new", 0},
      {"CreateFolder", dir / "new", ERROR_ALREADY_EXISTS},
      {"CreateFolder", dir / "missing\\new", ERROR_PATH_NOT_FOUND},
      {"GetAttributesFromFile", dir / "new", 0},
      {"GetAttributesFromFile", dir / "file.txt", 0},
      {"GetAttributesFromFile", dir / "nothing", ERROR_FILE_NOT_FOUND},
      {"GetAttributesFromFile", dir / "missing\\nothing", ERROR_PATH_NOT_FOUND},
      {"CreateFolder", dir / "new\\inner", 0},
      {"DeleteFolder", dir / "new", ERROR_DIR_NOT_EMPTY},
      {"DeleteFolder", dir / "new\\inner", 0},
      {"DeleteFolder", dir / "new", 0},
      {"DeleteFolder", dir / "new", ERROR_FILE_NOT_FOUND},
      {"FileDelete", dir / "file.txt", 0},
      {"FileDelete", dir / "file.txt", ERROR_FILE_NOT_FOUND},
      {"CreateFolder", dir / std::string(300, 'n'), ERROR_FILENAME_EXCED_RANGE},
  };
  for (const auto& s : steps) EXPECT_EQ(host.Int(s.command, s.path), s.expected) << s.command << " " << s.path;
  EXPECT_FALSE(Exists(dir / "new"));
}

TEST(FileOps, ANullPathReadsAsEmptyAndGetsThePlatformsCode) {
  auto& host = e2e::Host();
  for (const char* command : {"CreateFolder", "DeleteFolder", "FileDelete", "GetAttributesFromFile"}) {
    EXPECT_EQ(host.Int(command, nullptr), host.Int(command, "")) << command;
    EXPECT_NE(host.Int(command, nullptr), 0) << command;
  }
  EXPECT_NE(host.Int("FileCopy", nullptr, nullptr, 1), 0);
  EXPECT_NE(host.Int("FileMove", nullptr, nullptr), 0);
}

TEST(FileOps, CopyReplacesTheDestinationOnlyWhenAllowed) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  const std::string source = dir / "source.txt", target = dir / "target.txt";
  e2e::WriteTextFile(source, "new");
  const struct {
    int overwrite;
    int expected;
    const char* content;
  } cases[] = {{0, ERROR_FILE_EXISTS, "old"}, {1, 0, "new"}, {-1, 0, "new"}, {0x10000, 0, "new"}};
  for (const auto& c : cases) {
    e2e::WriteTextFile(target, "old");
    EXPECT_EQ(host.Int("FileCopy", source, target, c.overwrite), c.expected) << c.overwrite;
    EXPECT_EQ(ReadTextFile(target), c.content) << c.overwrite;
  }
  EXPECT_EQ(host.Int("FileCopy", source, dir / "fresh.txt", 0), 0);
  EXPECT_EQ(ReadTextFile(dir / "fresh.txt"), "new");
  EXPECT_EQ(host.Int("FileCopy", dir / "none.txt", dir / "other.txt", 1), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(Exists(dir / "other.txt"));
}

TEST(FileOps, FileMoveAndFolderMoveAreOneFunction) {
  auto& host = e2e::Host();
  const HMODULE dll = host.module();
  EXPECT_EQ(GetProcAddress(dll, "?FileMove@@YAHPBD0@Z"), GetProcAddress(dll, "?FolderMove@@YAHPBD0@Z"));

  for (const char* command : {"FileMove", "FolderMove"}) {
    e2e::TempDir dir;
    e2e::WriteTextFile(dir / "a.txt", "a");
    e2e::WriteTextFile(dir / "taken.txt", "taken");
    CreateDirectoryA((dir / "folder").c_str(), nullptr);
    e2e::WriteTextFile(dir / "folder\\inside.txt", "in");
    EXPECT_EQ(host.Int(command, dir / "a.txt", dir / "b.txt"), 0) << command;
    EXPECT_EQ(ReadTextFile(dir / "b.txt"), "a");
    EXPECT_EQ(host.Int(command, dir / "b.txt", dir / "taken.txt"), ERROR_ALREADY_EXISTS) << command;
    EXPECT_EQ(ReadTextFile(dir / "taken.txt"), "taken");
    EXPECT_EQ(host.Int(command, dir / "folder", dir / "moved"), 0) << command;
    EXPECT_EQ(ReadTextFile(dir / "moved\\inside.txt"), "in");
    EXPECT_EQ(host.Int(command, dir / "folder", dir / "again"), ERROR_FILE_NOT_FOUND) << command;
  }
}

TEST(FileOps, WorkingDirectoryAndFullPaths) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  EXPECT_EQ(host.Int("SetWorkingDirectory", dir.path()), 0);
  EXPECT_EQ(host.Str("GetWorkingDirectory"), dir.path());
  // A relative name is resolved against it, whether or not it exists.
  EXPECT_EQ(host.Str("GetFullPathFromFile", "not-there.txt"), dir / "not-there.txt");
  EXPECT_EQ(host.Str("GetFullPathFromFile", "sub\\..\\x"), dir / "x");
  EXPECT_EQ(host.Int("SetWorkingDirectory", dir / "missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(host.Str("GetWorkingDirectory"), dir.path());

  // A full path that needs more than 260 bytes with its terminator gives "", also right at the limit.
  const std::string base = "C:\\";
  EXPECT_EQ(host.Str("GetFullPathFromFile", base + std::string(256, 'p')), base + std::string(256, 'p'));
  EXPECT_EQ(host.Str("GetFullPathFromFile", base + std::string(257, 'p')), "");
  EXPECT_EQ(host.Str("GetFullPathFromFile", base + std::string(5000, 'p')), "");
}

}  // namespace
