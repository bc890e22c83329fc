// Drive scan, drive types and volume information of the real DLL. The volume and type queries are observed
// by replacing hostkit.dll's own imports of GetVolumeInformationA and GetDriveTypeA with counting fakes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"
#include "tools/hostrun/pe_image.h"

namespace {

// Points one kernel32 import of a module at a replacement for the life of the object.
class ImportPatch {
 public:
  ImportPatch(HMODULE module, const char* name, void* replacement)
      : slot_(hostrun::ImportSlot(module, "kernel32.dll", name)) {
    if (slot_ == nullptr) throw std::runtime_error(std::string("no import ") + name);
    original_ = *slot_;
    Write(reinterpret_cast<DWORD>(replacement));
  }
  ~ImportPatch() { Write(original_); }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

 private:
  void Write(DWORD value) {
    DWORD old = 0;
    VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
    *slot_ = value;
    VirtualProtect(slot_, sizeof *slot_, old, &old);
  }
  DWORD* slot_ = nullptr;
  DWORD original_ = 0;
};

// What the fakes saw: each query's root and the thread's error mode during it.
struct Calls {
  std::vector<std::string> roots;
  std::vector<UINT> modes;
  UINT next_type = 0;
};
Calls g_calls;

BOOL WINAPI FakeVolume(LPCSTR root, LPSTR name, DWORD name_size, LPDWORD serial, LPDWORD max_component, LPDWORD flags,
                       LPSTR file_system, DWORD file_system_size) {
  g_calls.roots.emplace_back(root);
  g_calls.modes.push_back(GetThreadErrorMode());
  EXPECT_EQ(name_size, 260u);
  EXPECT_EQ(file_system_size, 64u);
  EXPECT_EQ(flags, nullptr);
  if (root[0] != 'C' && root[0] != 'c') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  lstrcpynA(name, root[0] == 'C' ? "UPPER" : "lower", static_cast<int>(name_size));
  lstrcpynA(file_system, "NTFS", static_cast<int>(file_system_size));
  *serial = root[0] == 'C' ? 0xABCD : 0x1234;
  *max_component = 255;
  return TRUE;
}

UINT WINAPI FakeType(LPCSTR root) {
  g_calls.roots.emplace_back(root);
  g_calls.modes.push_back(GetThreadErrorMode());
  return g_calls.next_type;
}

// Sets a known error mode for this thread and checks that every drive command leaves it as it was.
class DriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_calls = {};
    SetThreadErrorMode(SEM_NOOPENFILEERRORBOX, nullptr);
  }
  void TearDown() override { EXPECT_EQ(GetThreadErrorMode(), static_cast<DWORD>(SEM_NOOPENFILEERRORBOX)); }
  static constexpr UINT kQuiet = SEM_NOOPENFILEERRORBOX | SEM_FAILCRITICALERRORS;
};

TEST_F(DriveTest, TheScanGivesTheLettersOfTheMaskThenEmptyForGood) {
  auto& host = e2e::Host();
  const DWORD mask = GetLogicalDrives();
  std::vector<std::string> expected, got;
  for (int n = 0; n < 26; ++n)
    if (mask & (1u << n)) expected.push_back(std::string(1, static_cast<char>('A' + n)) + ":");
  expected.insert(expected.end(), {"", ""});
  const std::size_t requests_before = hostrun::HostDouble::Account().sizes.size();
  got.push_back(*host.Str("GetFirstSystemDrive"));
  while (got.size() < expected.size()) got.push_back(*host.Str("GetNextSystemDrive"));
  EXPECT_EQ(got, expected);
  // Every scan result, the empty end included, is one 3-byte buffer.
  const auto& sizes = hostrun::HostDouble::Account().sizes;
  EXPECT_EQ(std::vector<std::int32_t>(sizes.begin() + static_cast<std::ptrdiff_t>(requests_before), sizes.end()),
            std::vector<std::int32_t>(expected.size(), 3));
  EXPECT_EQ(host.Str("GetFirstSystemDrive"), expected.front()) << "a first-call restarts the scan";

  // In a fresh process a next-call before any first-call starts after drive A.
  const auto run = e2e::RunHostrun("-c GetNextSystemDrive");
  EXPECT_EQ(run.out, (mask & 1 ? expected[1] : expected[0]) + "\n") << run.err;
}

TEST_F(DriveTest, TypeWordsForEveryValueTheQueryAnswers) {
  auto& host = e2e::Host();
  EXPECT_EQ(host.Str("GetSystemDriveType", "C:\\"), "Fixed");
  EXPECT_EQ(host.Str("GetSystemDriveType", "K:\\"), GetDriveTypeA("K:\\") == DRIVE_NO_ROOT_DIR ? "Unavailable" : "?");

  ImportPatch patch(host.module(), "GetDriveTypeA", reinterpret_cast<void*>(&FakeType));
  const struct {
    UINT type;
    const char* word;
  } cases[] = {{0, "Unknown"}, {1, "Unavailable"}, {2, "Removable"}, {3, "Fixed"},    {4, "Network"},
               {5, "CD-Rom"},  {6, "RAM-Disk"},    {7, ""},          {0xFFFFFFFF, ""}};
  for (const auto& c : cases) {
    g_calls.next_type = c.type;
    EXPECT_EQ(host.Str("GetSystemDriveType", "A:\\"), c.word) << c.type;
    EXPECT_EQ(GetThreadErrorMode(), static_cast<DWORD>(SEM_NOOPENFILEERRORBOX));
  }
  EXPECT_EQ(host.Str("GetSystemDriveType", nullptr), "");
  EXPECT_EQ(g_calls.roots.back(), "") << "the root is passed unchanged, null as empty";
  for (UINT mode : g_calls.modes) EXPECT_EQ(mode, kQuiet);
}

TEST_F(DriveTest, VolumeInformationIsQueriedOncePerKey) {
  auto& host = e2e::Host();
  ImportPatch patch(host.module(), "GetVolumeInformationA", reinterpret_cast<void*>(&FakeVolume));
  const struct {
    const char* path;
    int selector;
    const char* expected;
    std::size_t queries;
  } steps[] = {
      {"C:", 3, "UPPER", 1},   {"C:\\", 2, "NTFS", 1}, {"C:", 0, "0000ABCD", 1}, {"C:", 1, "255", 1},
      {"c:", 3, "lower", 2},   {"C:", 4, "", 3},       {"c:\\", -1, "", 4},      {"", 0, "", 4},
      {"K:", 3, "", 5},        {"K:", 2, "", 6},       {"K:", 0, "00001234", 7}, {"K:", 1, "255", 8},
      {"C:\\", 3, "UPPER", 9},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(host.Str("GetSystemDriveInformation", s.path, s.selector), s.expected) << s.path << s.selector;
    EXPECT_EQ(g_calls.roots.size(), s.queries) << s.path << s.selector;
    EXPECT_EQ(GetThreadErrorMode(), static_cast<DWORD>(SEM_NOOPENFILEERRORBOX));
  }
  EXPECT_EQ(g_calls.roots.front(), "C:\\");
  for (UINT mode : g_calls.modes) EXPECT_EQ(mode, kQuiet);
}

TEST_F(DriveTest, RealVolumeOfDriveC) {
  auto& host = e2e::Host();
  char label[MAX_PATH + 1] = {}, file_system[64] = {};
  DWORD serial = 0, max_component = 0;
  ASSERT_TRUE(GetVolumeInformationA("C:\\", label, MAX_PATH, &serial, &max_component, nullptr, file_system, 64));
  char hex[16];
  wsprintfA(hex, "%08X", serial);
  EXPECT_EQ(host.Str("GetSystemDriveInformation", "C:", 0), hex);
  EXPECT_EQ(host.Str("GetSystemDriveInformation", "C:", 1), std::to_string(max_component));
  EXPECT_EQ(host.Str("GetSystemDriveInformation", "C:", 2), file_system);
  EXPECT_EQ(host.Str("GetSystemDriveInformation", "C:", 3), label);
  // A missing drive empties the names; the drive before it is queried again and gives them back.
  EXPECT_EQ(host.Str("GetSystemDriveInformation", "K:\\", 2), "");
  EXPECT_EQ(host.Str("GetSystemDriveInformation", "K:\\", 3), "");
  EXPECT_EQ(host.Str("GetSystemDriveInformation", "C:\\", 2), file_system);
}

}  // namespace
