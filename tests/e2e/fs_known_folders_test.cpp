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

// The ANSI call gave a folder named in Cyrillic on the Western code page with '?' in it, as a success.
TEST(KnownFolders, AFolderOutsideTheCodePageComesAsItsShortName) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  const std::wstring base(dir.path().begin(), dir.path().end());  // the temporary folder's path is ASCII
  const std::wstring cyrillic = base + L"\\\u0418\u0433\u0440\u0430\\";
  ASSERT_TRUE(CreateDirectoryW(cyrillic.c_str(), nullptr));
  wchar_t short_name[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(cyrillic.c_str(), short_name, MAX_PATH), 0u);
  std::string expected;
  for (const wchar_t* c = short_name; *c != 0; ++c) {
    ASSERT_LT(*c, 0x80) << "the short name is ASCII";
    expected += static_cast<char>(*c);
  }
  const struct {
    std::wstring folder;
    std::string answer;
  } cases[] = {
      {cyrillic, expected},
      {base + L"\\caf\u00E9-missing\\", dir.path() + "\\caf\xE9-missing\\"},  // exact: no short name needed
      {base + L"\\\u0418-missing\\", ""},                                     // neither exact nor a short name
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", c.folder.c_str()));
    EXPECT_EQ(host.Str("GetTempFolder"), c.answer) << c.answer;
  }
}

}  // namespace
