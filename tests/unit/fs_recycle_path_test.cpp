#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fs/recycle_path.h"

namespace {

using namespace hostkit::fs;
using namespace std::string_literals;

TEST(RecyclePath, EmptyDeviceWildcardAndNetworkPathsAreRefusedBeforeAnyCall) {
  const struct {
    const char* path;
    int refusal;
  } cases[] = {
      {"", kRecycleEmptyPath},
      {"C:\\saves\\*.sav", kRecycleWildcard},
      {"C:\\saves\\slot?.sav", kRecycleWildcard},
      {"*", kRecycleWildcard},
      // Device and namespace forms, which reach the working folder by a name no full path spells.
      {"\\\\?\\C:\\saves\\a.sav", kRecycleNamespace},
      {"\\\\.\\C:\\game", kRecycleNamespace},
      {"\\??\\C:\\game", kRecycleNamespace},
      {"//./C:/game", kRecycleNamespace},
      {"/?\?/C:/game", kRecycleNamespace},
      {"\\/?\\C:\\game", kRecycleNamespace},
      {"\\\\.", kRecycleNamespace},
      {"\\\\.\\nul", kRecycleNamespace},
      // Network paths have no recycle bin.
      {"\\\\server\\share\\x.txt", kRecycleNoBin},
      {"//server/share", kRecycleNoBin},
      {"\\\\.server\\share", kRecycleNoBin},
      {"C:\\saves\\a.sav", 0},
      {"\\saves\\a.sav", 0},
      {"a.sav", 0},
      {".", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RecycleRefusal(c.path), c.refusal) << c.path;
}

TEST(RecyclePath, TheListIsTheFullPathWithoutEndSeparatorsAndTwoTerminators) {
  const struct {
    const char* full;
    std::string list;
  } cases[] = {
      {"C:\\saves\\a.sav", "C:\\saves\\a.sav\0\0"s},
      {"C:\\saves\\", "C:\\saves\0\0"s},
      {"C:\\saves\\\\/", "C:\\saves\0\0"s},
      {"C:\\a", "C:\\a\0\0"s},
      {"\\\\server\\share\\saves", "\\\\server\\share\\saves\0\0"s},
  };
  for (const auto& c : cases) EXPECT_EQ(RecycleList(c.full), c.list) << c.full;
}

TEST(RecyclePath, RootsWhoseWholeContentWouldGoAreRefused) {
  for (const char* root : {"C:\\", "C:", "c:/", "\\\\server\\share\\", "\\\\server\\share", "\\\\server", "\\", ""})
    EXPECT_EQ(RecycleList(root), std::nullopt) << root;
}

// A refusal that let ".." or "sub\.." through once moved the game's own folder, open files and all, to the bin.
TEST(RecyclePath, TheWorkingFolderAndTheFoldersAboveItAreFoundButNotTheirNeighbours) {
  const struct {
    const char* full;
    const char* working;
    bool contains;
  } cases[] = {
      {R"(C:\GAMES\RACE)", R"(C:\GAMES\RACE)", true},
      {R"(C:\GAMES\RACE\)", R"(C:\GAMES\RACE)", true},
      {R"(C:\GAMES)", R"(C:\GAMES\RACE)", true},
      {R"(C:\GAMES)", R"(C:\GAMES\RACE\)", true},
      {R"(C:/GAMES)", R"(C:\GAMES\RACE)", true},
      {R"(\\SERVER\SHARE\GAMES)", R"(\\SERVER\SHARE\GAMES\RACE)", true},
      {R"(C:\GAMES\RACE\SAVES)", R"(C:\GAMES\RACE)", false},
      {R"(C:\GAMES\RAC)", R"(C:\GAMES\RACE)", false},
      {R"(C:\GAMES\RACE2)", R"(C:\GAMES\RACE)", false},
      {R"(D:\GAMES)", R"(C:\GAMES\RACE)", false},
      {R"(C:\GAMES)", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ContainsFolder(c.full, c.working), c.contains) << c.full << " " << c.working;
  for (const char* relative : {"C:", "c:saves", "C:..", "C:."}) EXPECT_TRUE(IsDriveRelative(relative)) << relative;
  for (const char* other : {"C:\\", "C:/x", "saves", "\\\\server\\share", ""}) EXPECT_FALSE(IsDriveRelative(other));
}

// Every folder whose identity is compared with the item's: a missing root would let another name of it through.
TEST(RecyclePath, TheFoldersAboveAFolderReachItsRoot) {
  const struct {
    const char* full;
    std::vector<std::string> folders;
  } cases[] = {
      {R"(C:\hkrm\game)", {R"(C:\hkrm\game)", R"(C:\hkrm)", R"(C:\)"}},
      {R"(C:\hkrm\game\\)", {R"(C:\hkrm\game)", R"(C:\hkrm)", R"(C:\)"}},
      {R"(C:/hkrm//game)", {R"(C:/hkrm//game)", R"(C:/hkrm)", R"(C:\)"}},
      {R"(C:\)", {R"(C:\)"}},
      {R"(\\server\share\game)", {R"(\\server\share\game)", R"(\\server\share\)"}},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderAndFoldersAbove(c.full), c.folders) << c.full;
  const struct {
    const char* final_path;
    const char* path;
  } prefixed[] = {
      {R"(\\?\C:\hkrm\game)", R"(C:\hkrm\game)"},
      {R"(\\?\UNC\server\share\game)", R"(\\server\share\game)"},
      {R"(C:\hkrm)", R"(C:\hkrm)"},
      {R"(\\server\share)", R"(\\server\share)"},
  };
  for (const auto& p : prefixed) EXPECT_EQ(WithoutLongPrefix(p.final_path), p.path) << p.final_path;
}

// The shell's DE_ codes overlap winerror.h: 124 (DE_INVALIDFILES) read as a Win32 code is ERROR_INVALID_LEVEL.
TEST(RecyclePath, TheShellsOwnCodesBecomeWin32CodesAndWin32CodesPass) {
  const struct {
    int answer;
    int code;
  } cases[] = {
      {0, 0},      {2, 2},       {3, 3},     {5, 5},     {32, 32},      {123, 123},    {0x7C, 3},
      {0x402, 3},  {0x75, 1223}, {0x78, 5},  {0x74, 5},  {0x79, 206},   {0x81, 206},   {0xB7, 206},
      {0x85, 223}, {0x86, 19},   {0x88, 19}, {0x71, 31}, {0x10000, 31}, {0x10074, 31},
  };
  for (const auto& c : cases) EXPECT_EQ(ShellOperationCode(c.answer), c.code) << c.answer;
}

}  // namespace
