// The host survives what a real engine may do around the DLL: each scenario runs in a fresh host process of the
// tests' own (hosts/survival_host.cpp), which must exit 0 with a report that ends in "passed". A crash under
// Wine can hang in the debugger instead of exiting, so a child that outlives its time counts as failed.
#include <gtest/gtest.h>

#include <string>

#include "host/win_handle.h"
#include "tests/e2e/harness/process.h"

namespace {

// The slowest scenarios load and unload the DLL 1,500 times: 50 to 120 s under Wine 8 on a loaded machine (20 to
// 70 ms a cycle, most of it Wine loading and unloading the system libraries that the DLL imports).
constexpr DWORD kChildTimeoutMs = 240000;
constexpr DWORD kTimedOut = 99;  // RunProcess's exit code for a child it had to end

std::string ReadFileText(const std::string& path) {
  const hostkit::win::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "";
  std::string text(64 * 1024, '\0');
  DWORD read = 0;
  ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  text.resize(read);
  return text;
}

// "picker-inside-picker" becomes "picker_inside_picker": gtest names hold letters, digits and underscores only.
std::string TestName(const ::testing::TestParamInfo<const char*>& scenario) {
  std::string name;
  for (const char* c = scenario.param; *c != '\0'; ++c) name += *c == '-' ? '_' : *c;
  return name;
}

class HostSurvival : public ::testing::TestWithParam<const char*> {};

TEST_P(HostSurvival, ScenarioPasses) {
  e2e::TempDir temp;
  const std::string report = temp / "report.txt";
  const auto run = e2e::RunProcess(
      "\"" + e2e::BinDirectory() + "survival_host.exe\" " + GetParam() + " \"" + report + "\"", "", kChildTimeoutMs);
  const std::string text = ReadFileText(report);
  EXPECT_NE(run.exit_code, kTimedOut) << "the host hung (a crash under Wine waits in the debugger)\n" << text;
  EXPECT_EQ(run.exit_code, 0u) << text;
  // A console event that ends the process at once leaves exit code 0 too, but no final line.
  EXPECT_TRUE(text.ends_with("passed\n")) << text;
}

INSTANTIATE_TEST_SUITE_P(Scenarios, HostSurvival,
                         ::testing::Values("unload", "unload-without-window", "unload-with-notification",
                                           "picker-over-disabled-host", "picker-inside-picker", "console-breaks",
                                           "console-at-load", "command-stops-on-ctrl-c",
                                           "command-stops-though-host-ignores-ctrl-c", "command-inherits-console-only",
                                           "host-keeps-ignored-ctrl-c", "load-unload-cycles", "reload-cycles",
                                           "reload-cycles-libraries-held"),
                         &TestName);

}  // namespace
