// Folder enumeration and the current-file record on real folder trees.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <string>
#include <vector>

#include "host/win_handle.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

// Calls the first-call once, then the next-call until it answers "" twice in a row.
std::vector<std::string> Walk(const char* first, const char* next, const std::string& pattern) {
  auto& host = e2e::Host();
  std::vector<std::string> names{host.Str(first, pattern).value_or("<null>")};
  while (!names.back().empty()) names.push_back(host.Str(next).value_or("<null>"));
  names.push_back(host.Str(next).value_or("<null>"));
  return names;
}

using Names = std::vector<std::string>;

TEST(Enumeration, FilesAndFoldersOfMixedTreesInThePlatformsOrder) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  for (const char* f : {"B.txt", "a.txt", "c.dat"}) e2e::WriteTextFile(dir / f, f);
  for (const char* f : {"sub", "Zed"}) MakeFolder(dir / f);
  e2e::WriteTextFile(dir / "sub\\inner.txt", "");
  SetFileAttributesA((dir / "c.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);

  EXPECT_EQ(Walk("GetFirstFile", "GetNextFile", dir / "*"), (Names{"a.txt", "B.txt", "c.dat", "", ""}));
  // The search ended while skipping the last entry, a folder: the record keeps it.
  EXPECT_EQ(host.Int("GetCurrentFileAttributes") & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(Walk("GetFirstFolder", "GetNextFolder", dir / "*"), (Names{".", "..", "sub", "Zed", "", ""}));
  EXPECT_EQ(Walk("GetFirstFile", "GetNextFile", dir / "*.txt"), (Names{"a.txt", "B.txt", "", ""}));
  EXPECT_EQ(Walk("GetFirstFolder", "GetNextFolder", dir / "s?b"), (Names{"sub", "", ""}));
  EXPECT_EQ(Walk("GetFirstFile", "GetNextFile", dir / "sub\\*"), (Names{"inner.txt", "", ""}));
  // Hidden entries come out like all others, with their attribute bits passed through.
  EXPECT_EQ(host.Str("GetFirstFile", dir / "c.dat"), "c.dat");
  EXPECT_EQ(host.Int("GetCurrentFileAttributes"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
}

TEST(Enumeration, TheKindsShareOneSearchAndAFirstCallReplacesIt) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  for (const char* f : {"a.txt", "c.txt", "e.txt"}) e2e::WriteTextFile(dir / f, f);
  for (const char* f : {"b", "d"}) MakeFolder(dir / f);
  EXPECT_EQ(host.Str("GetFirstFile", dir / "*"), "a.txt");
  EXPECT_EQ(host.Str("GetNextFolder"), "b");
  EXPECT_EQ(host.Str("GetNextFile"), "c.txt");
  EXPECT_EQ(host.Str("GetFirstFolder", dir / "*"), ".");
  EXPECT_EQ(host.Str("GetNextFile"), "a.txt");

  // A pattern that matches nothing ends the open search too.
  EXPECT_EQ(host.Str("GetFirstFile", dir / "*.none"), "");
  EXPECT_EQ(host.Str("GetNextFile"), "");
  EXPECT_EQ(host.Str("GetNextFolder"), "");
  EXPECT_EQ(host.Str("GetFirstFolder", dir / "missing\\*"), "");
  // Folders only: no file, and no search left open.
  EXPECT_EQ(host.Str("GetFirstFile", dir / "?"), "");
  EXPECT_EQ(host.Str("GetNextFolder"), "");
}

// A tolerance for Wine: handles that its own threads of this process open and close while the searches run.
constexpr DWORD kWineToleranceHandles = 2;

// Counts this process's open handles, to see that abandoned searches are closed.
DWORD HandleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

TEST(Enumeration, AbandonedSearchesDoNotLeakHandles) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  for (const char* f : {"a", "b"}) e2e::WriteTextFile(dir / f, f);
  EXPECT_EQ(host.Str("GetFirstFile", dir / "*"), "a");
  const DWORD before = HandleCount();
  for (int i = 0; i < 200; ++i)
    ASSERT_EQ(host.Str(i % 2 ? "GetFirstFile" : "GetFirstFolder", dir / "*"), i % 2 ? "a" : ".");
  // A handle lost per search would show as 100 or more.
  EXPECT_LE(HandleCount(), before + kWineToleranceHandles);
}

TEST(Enumeration, TheRecordAtLoadIsAllZero) {
  // A fresh process: the record as the DLL holds it at load, also after a next-call without a search.
  // The desktop must exist before the child starts: Wine starts its desktop process from the first process
  // that opens a window, and a desktop started by the child would inherit the output pipe and hold it open.
  e2e::Host();
  e2e::TempDir dir;
  const std::string script = dir / "load.hks";
  e2e::WriteTextFile(script,
                     "GetCurrentFileAttributes\nGetCurrentFileCreationDate 0\nGetCurrentFileCreationTime 0\n"
                     "GetCurrentFileLastAccessDate 47\nGetCurrentFileLastWriteTime 46\nGetCurrentFileSizeLow\n"
                     "GetCurrentFileSizeHigh\nGetCurrentFileSizeAsHexString 1\nGetCurrentFileSizeAsString 1\n"
                     "GetNextFile\nGetCurrentFileAttributes\n");
  const auto run = e2e::RunHostrun("\"" + script + "\"");
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.out, "0\n1601-01-01\n00:00:00\n1601/01/01\n00.00.00\n0\n0\n00000000:00000000\n0:0\n\n0\n");
}

// A sparse file of the given size: no data blocks are written.
void MakeSparseFile(const std::string& path, LONGLONG size) {
  hostkit::win::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file) << path;
  DWORD returned = 0;
  DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER end;
  end.QuadPart = size;
  ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file.get()));
}

TEST(Enumeration, SizesOfLargeFilesInAllForms) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  const struct {
    const char* name;
    LONGLONG size;
    int low, high;
    const char *hex0, *hex1, *dec0, *dec1;
  } cases[] = {
      {"three", 3'000'000'000LL, -1'294'967'296, 0, "B2D05E00", "00000000:B2D05E00", "-1294967296", "0:-1294967296"},
      {"five", 5'368'709'120LL, 1'073'741'824, 1, "40000000", "00000001:40000000", "1073741824", "1:1073741824"},
  };
  for (const auto& c : cases) {
    MakeSparseFile(dir / c.name, c.size);
    ASSERT_EQ(host.Str("GetFirstFile", dir / c.name), c.name);
    EXPECT_EQ(host.Int("GetCurrentFileSizeLow"), c.low);
    EXPECT_EQ(host.Int("GetCurrentFileSizeHigh"), c.high);
    EXPECT_EQ(host.Str("GetCurrentFileSizeAsHexString", 0), c.hex0);
    EXPECT_EQ(host.Str("GetCurrentFileSizeAsHexString", 1), c.hex1);
    EXPECT_EQ(host.Str("GetCurrentFileSizeAsString", 0), c.dec0);
    EXPECT_EQ(host.Str("GetCurrentFileSizeAsString", -7), c.dec1);
  }
}

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME st{year, month, 0, day, hour, minute, second, 0};
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

TEST(Enumeration, TimeStampsAreUtcWithDefaultAndCustomSeparators) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  const std::string path = dir / "stamped.txt";
  e2e::WriteTextFile(path, "x");
  {
    const FILETIME created = Utc(2019, 7, 4, 6, 7, 8), accessed = Utc(2024, 3, 15, 14, 5, 9),
                   written = Utc(2021, 12, 31, 23, 59, 58);
    hostkit::win::UniqueFile file(
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(SetFileTime(file.get(), &created, &accessed, &written));
  }
  ASSERT_EQ(host.Str("GetFirstFile", path), "stamped.txt");
  const struct {
    const char* getter;
    int separator;
    const char* expected;
  } cases[] = {
      {"GetCurrentFileLastWriteDate", 0, "2021-12-31"},   {"GetCurrentFileLastWriteTime", 0, "23:59:58"},
      {"GetCurrentFileLastWriteDate", -5, "2021-12-31"},  {"GetCurrentFileLastWriteTime", -5, "23:59:58"},
      {"GetCurrentFileLastAccessDate", 47, "2024/03/15"}, {"GetCurrentFileLastAccessTime", 46, "14.05.09"},
      {"GetCurrentFileLastAccessDate", 46, "2024.03.15"}, {"GetCurrentFileLastAccessTime", 47, "14/05/09"},
  };
  for (const auto& c : cases) EXPECT_EQ(host.Str(c.getter, c.separator), c.expected) << c.getter << c.separator;

  // Whatever creation time the platform keeps (Wine may not store the one set above), the getters show it in UTC.
  WIN32_FIND_DATAA own{};
  hostkit::win::UniqueFind find(FindFirstFileA(path.c_str(), &own));
  ASSERT_TRUE(find);
  SYSTEMTIME st{};
  FileTimeToSystemTime(&own.ftCreationTime, &st);
  char date[32], time[32];
  wsprintfA(date, "%02d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
  wsprintfA(time, "%02d:%02d:%02d", st.wHour, st.wMinute, st.wSecond);
  EXPECT_EQ(host.Str("GetCurrentFileCreationDate", 0), date);
  EXPECT_EQ(host.Str("GetCurrentFileCreationTime", 0), time);
}

}  // namespace
