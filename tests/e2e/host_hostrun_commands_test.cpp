// The host double runs the commands of 1.1 by name, each resolved from its decorated export like every other.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "tests/e2e/harness/process.h"

namespace {

std::string JsonPath(std::string path) {
  for (auto at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 2)) path.insert(at, 1, '\\');
  return path;
}

TEST(HostrunCommands, RunsTheFoldersSpaceRecycleShellClipboardAndDropCommands) {
  char appdata[MAX_PATH] = {}, temp[MAX_PATH + 1] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appdata), S_OK);
  ASSERT_GT(GetTempPathA(MAX_PATH + 1, temp), 0u);
  ULARGE_INTEGER available{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &available, &total, &free));

  const struct {
    std::string line;
    std::string result;  // as JSON
  } steps[] = {
      {"GetSpecialFolder 0x1A", "\"" + JsonPath(appdata) + "\""},
      {"GetTempFolder", "\"" + JsonPath(temp) + "\""},
      {"GetSystemDriveSpace \"C:\\\\\" 1", "\"" + std::to_string(total.QuadPart) + "\""},
      {"FileRecycle \"C:\\\\no-such-file-of-hostrun\"", "2"},
      {"ShellOpen \"\" \"\"", "87"},
      {"SetClipboardText \"hostrun \\xE9\"", "0"},
      {"GetClipboardText", "\"hostrun \\u00E9\""},
      {"EnableFileDrop 1", "null"},
      {"GetDroppedFiles", "\"\""},
  };
  std::string script, expected;
  int number = 0;
  for (const auto& step : steps) {
    script += step.line + "\n";
    const std::string call = step.line.substr(0, step.line.find(' '));
    expected +=
        "{\"line\":" + std::to_string(++number) + ",\"call\":\"" + call + "\",\"result\":" + step.result + "}\n";
  }
  const auto run = e2e::RunHostrun("--json -", script);
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.out, expected);
}

}  // namespace
