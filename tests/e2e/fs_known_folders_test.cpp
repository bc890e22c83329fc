// The system's folders under Wine: known folders by CSIDL number and the temporary folder, against what the
// platform answers in the test's own process.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(KnownFolders, EachIdNamesTheExistingFolderThePlatformReports) {
  auto& host = e2e::Host();
  for (int id : {CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_APPDATA,
                 CSIDL_WINDOWS, CSIDL_PROGRAM_FILES, CSIDL_PROFILE, CSIDL_APPDATA | CSIDL_FLAG_CREATE}) {
    char expected[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, expected), S_OK) << id;
    const auto path = host.Str("GetSpecialFolder", id);
    EXPECT_EQ(path, expected) << id;
    EXPECT_TRUE(IsFolder(*path)) << *path;
    EXPECT_NE(path->back(), '\\') << *path;
  }
}

TEST(KnownFolders, UnknownIdsGiveEmpty) {
  auto& host = e2e::Host();
  for (int id : {0x7777, -1, 0xFF, 0x7FFF | CSIDL_FLAG_CREATE}) {
    // Measured: the platform refuses each with E_INVALIDARG (Wine 8 empties the buffer).
    char path[MAX_PATH] = {};
    EXPECT_EQ(SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path), E_INVALIDARG) << id;
    EXPECT_EQ(host.Str("GetSpecialFolder", id), "") << id;
  }
}

// A valid id whose folder is missing gives "" until the create flag makes it again. The folder of all users'
// templates is an empty folder of the prefix's own, so RemoveDirectoryA can take it away (it removes nothing
// else: not a folder with content, not a link such as the user folders that Wine points at the Unix home).
TEST(KnownFolders, AMissingFolderIsEmptyUntilTheCreateFlagMakesIt) {
  auto& host = e2e::Host();
  const auto folder = host.Str("GetSpecialFolder", CSIDL_COMMON_TEMPLATES | CSIDL_FLAG_CREATE);
  ASSERT_TRUE(folder.has_value() && IsFolder(*folder));
  ASSERT_TRUE(RemoveDirectoryA(folder->c_str())) << *folder << ": " << GetLastError();
  EXPECT_EQ(host.Str("GetSpecialFolder", CSIDL_COMMON_TEMPLATES), "");
  EXPECT_EQ(host.Str("GetSpecialFolder", CSIDL_COMMON_TEMPLATES | CSIDL_FLAG_CREATE), folder);
  EXPECT_TRUE(IsFolder(*folder));
}

TEST(KnownFolders, TheTemporaryFolderIsThePlatformsWithItsBackslash) {
  char expected[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH + 1, expected), 0u);
  const auto temp = e2e::Host().Str("GetTempFolder");
  EXPECT_EQ(temp, expected);
  ASSERT_FALSE(temp->empty());
  EXPECT_EQ(temp->back(), '\\');
  EXPECT_TRUE(IsFolder(*temp));
}

}  // namespace
