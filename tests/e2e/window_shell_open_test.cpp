// ShellOpen under Wine, with a file type of the test's own whose open command is bin/shell_probe.exe: the probe
// writes the command line it was started with to "<file>.seen".
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

// The probe's start is asynchronous to the test once ShellOpen has returned; it writes its file within this bound.
constexpr DWORD kProbeBoundMs = 30000;

std::string Suffix() { return std::to_string(GetCurrentProcessId()); }

void SetDefault(const std::string& key, const std::string& value) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr),
            ERROR_SUCCESS)
      << key;
  EXPECT_EQ(RegSetValueExA(opened, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(opened);
}

// The extension ".hkprobe<pid>" opened by the probe, under HKEY_CLASSES_ROOT (Wine 8's ShellExecuteExA does not
// read HKCU\Software\Classes), removed again at the end of the test.
class ProbeType {
 public:
  ProbeType() : extension_(".hkprobe" + Suffix()), class_("hostkit.probe" + Suffix()) {
    SetDefault(extension_, class_);
    SetDefault(class_ + "\\shell\\open\\command", "\"" + e2e::BinDirectory() + "shell_probe.exe\" \"%1\" %*");
  }
  ~ProbeType() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, class_.c_str());
    RegDeleteTreeA(HKEY_CLASSES_ROOT, extension_.c_str());
  }
  ProbeType(const ProbeType&) = delete;
  ProbeType& operator=(const ProbeType&) = delete;
  const std::string& extension() const { return extension_; }

 private:
  std::string extension_, class_;
};

// The probe's command line for the file, or "" when it did not run within the bound.
std::string WaitForProbe(const std::string& file) {
  const std::string seen = file + ".seen";
  for (DWORD start = GetTickCount(); GetTickCount() - start < kProbeBoundMs; Sleep(20)) {
    if (GetFileAttributesA(seen.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    std::ifstream in(seen, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    // The probe makes the file before it writes its line (once read empty in between): wait for the line.
    if (!text.str().empty()) return text.str();
  }
  return {};
}

// What the command line holds after the quoted file, without the spaces around it.
std::string AfterFile(const std::string& line, const std::string& file) {
  const std::string quoted = "\"" + file + "\"";
  const auto at = line.find(quoted);
  if (at == std::string::npos) return "<no file in: " + line + ">";
  std::string rest = line.substr(at + quoted.size());
  const auto first = rest.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return rest.substr(first, rest.find_last_not_of(' ') - first + 1);
}

TEST(ShellOpen, TheTypesProgramStartsWithTheFileAndTheParameters) {
  auto& host = e2e::Host();
  const ProbeType type;
  e2e::TempDir dir;
  const struct {
    std::string name;
    std::string parameters;
  } cases[] = {
      {"plain" + type.extension(), ""},
      {"with space" + type.extension(), "-level 2 \"two words\""},
      {"caf\xE9" + type.extension(), "\xE9t\xE9"},  // ANSI bytes pass to the program unchanged
  };
  for (const auto& c : cases) {
    const std::string file = dir / c.name;
    e2e::WriteTextFile(file, "data");
    ASSERT_EQ(host.Int("ShellOpen", file, c.parameters), 0) << file;
    EXPECT_EQ(AfterFile(WaitForProbe(file), file), c.parameters) << file;
  }
}

TEST(ShellOpen, FailuresGiveThePlatformsCodeAndStartNothing) {
  auto& host = e2e::Host();
  const ProbeType type;
  e2e::TempDir dir;
  const std::string missing = dir / ("missing" + type.extension());
  EXPECT_EQ(host.Int("ShellOpen", missing, ""), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(host.Int("ShellOpen", dir / ("no-folder\\x" + type.extension()), ""), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(host.Int("ShellOpen", "", "-x"), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(host.Int("ShellOpen", nullptr, nullptr), ERROR_INVALID_PARAMETER);

  const std::string unknown = dir / ("file.hknone" + Suffix());
  e2e::WriteTextFile(unknown, "data");
  // A type with no program: the shell's SE_ERR_NOASSOC, whatever last error the release leaves (Wine 8 193,
  // Wine 10 6); a last error left over from an earlier call does not come out either.
  SetLastError(ERROR_SHARING_VIOLATION);
  EXPECT_EQ(host.Int("ShellOpen", unknown, ""), ERROR_NO_ASSOCIATION);
  Sleep(200);
  EXPECT_EQ(GetFileAttributesA((missing + ".seen").c_str()), INVALID_FILE_ATTRIBUTES);
}

// ShellOpen initialises COM only on a thread that has none, and leaves a caller's COM as it was.
TEST(ShellOpen, TheCallersComIsLeftAsItWas) {
  auto& host = e2e::Host();
  const ProbeType type;
  e2e::TempDir dir;
  const std::string file = dir / ("com" + type.extension());
  e2e::WriteTextFile(file, "data");

  // No COM before: none after (a fresh initialisation answers S_OK, not S_FALSE).
  EXPECT_EQ(host.Int("ShellOpen", dir / ("missing" + type.extension()), ""), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  CoUninitialize();

  for (DWORD model : {COINIT_APARTMENTTHREADED, COINIT_MULTITHREADED}) {
    ASSERT_EQ(CoInitializeEx(nullptr, model), S_OK) << model;
    DeleteFileA((file + ".seen").c_str());
    EXPECT_EQ(host.Int("ShellOpen", file, ""), 0) << model;
    EXPECT_NE(WaitForProbe(file), "") << model;
    // Still initialised, in the same model.
    EXPECT_EQ(CoInitializeEx(nullptr, model), S_FALSE) << model;
    CoUninitialize();
    CoUninitialize();
  }
}

}  // namespace
