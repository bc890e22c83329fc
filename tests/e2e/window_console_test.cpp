// The console commands in a real Wine process: the console is read back character by character.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "tests/e2e/harness/console.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

// Sets an environment variable for the life of the object (null unsets it), then puts the old value back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    char old[32767];
    // The count excludes the terminator; 0 means unset.
    const DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
    if (length > 0 && length < sizeof old) old_ = std::string(old, length);
    SetEnvironmentVariableA(name, value);
  }
  ~ScopedEnvironment() { SetEnvironmentVariableA(name_.c_str(), old_ ? old_->c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Windows refuses to start a folder with ERROR_ACCESS_DENIED, which lets cmd.exe stand in; Wine 8 answers
// ERROR_INVALID_HANDLE (measured), a start that failed for another reason, which gets no stand-in.
bool WineStartsNoFolderAsDenied() {
  return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// The host is a GUI process without a console. Wine attaches this console program to a console that cannot be
// used (AllocConsole fails with error 5, "CONOUT$" does not open) or, from a terminal, to the terminal: let go of
// it first. The library recorded no console window at load, as Wine gives such a console no window.
void StartWithoutConsole() {
  FreeConsole();
  ASSERT_FALSE(e2e::HasConsole());
}

TEST(WindowConsole, OpenConsoleMakesOneAndTextReachesItLiterally) {
  auto& host = e2e::Host();
  StartWithoutConsole();
  e2e::StdoutKeeper keep;
  host.Run("OpenConsole");
  ASSERT_TRUE(e2e::HasConsole()) << "no console after OpenConsole";

  host.Run("ConsoleWrite", "100%d done %n%s%x%% \\");
  host.Run("ConsoleWrite", nullptr);
  host.Run("ConsoleWrite", "");
  host.Run("ConsoleWrite", "\nsecond line");
  EXPECT_EQ(e2e::ConsoleText(), "100%d done %n%s%x%% \\\nsecond line");

  // A long text arrives whole.
  host.Run("ConsoleWrite", "\n" + std::string(1000, 'L'));
  std::string joined;
  for (char c : e2e::ConsoleText())
    if (c != '\n') joined += c;
  EXPECT_TRUE(Contains(joined, std::string(1000, 'L'))) << "the long text was cut";

  // The record, not the console itself, gates OpenConsole: once recorded it never makes another.
  FreeConsole();
  host.Run("OpenConsole");
  EXPECT_FALSE(e2e::HasConsole()) << "a second OpenConsole made a console";
  AllocConsole();  // leave a console for whatever else runs in this process
}

TEST(WindowConsole, WithoutAConsoleWriteAndCommandDoNothing) {
  // A child without a console: its standard output is a pipe, where unguarded text would show up.
  const auto run = e2e::RunHostrun("--no-window -",
                                   "ConsoleWrite \"early-text\"\n"
                                   "ConsoleCommand \"echo early-command\"\n"
                                   "ConsoleWrite null\nConsoleCommand null\n"
                                   "GetWindowX\n");
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.out, "-1\n");
  EXPECT_EQ(run.err, "");
}

TEST(WindowConsole, CommandRunsThroughComspecOrFallsBackToCmdOnThePath) {
  auto& host = e2e::Host();
  StartWithoutConsole();
  e2e::StdoutKeeper keep;
  host.Run("OpenConsole");

  // The host's own text comes first, then the command's output, which is there once the call returns.
  host.Run("ConsoleWrite", "before|");
  host.Run("ConsoleCommand", "echo after");
  EXPECT_TRUE(Contains(e2e::ConsoleText(), "before|after")) << e2e::ConsoleText();

  // COMSPEC names the interpreter: here hostrun, which fails on the arguments "/c marker" in its own words.
  {
    ScopedEnvironment comspec("COMSPEC", (e2e::BinDirectory() + "hostrun.exe").c_str());
    host.Run("ConsoleCommand", "marker-from-comspec");
    EXPECT_TRUE(Contains(e2e::ConsoleText(), "cannot open marker-from-comspec")) << e2e::ConsoleText();
  }

  // A value in quotes, as some installers write it, names the same program: hostrun's own words, and the
  // system's cmd.exe running the command (a quoted name given to the platform as it stands starts nothing).
  {
    ScopedEnvironment comspec("COMSPEC", ("\"" + e2e::BinDirectory() + "hostrun.exe\"").c_str());
    host.Run("ConsoleCommand", "marker-from-quoted-comspec");
    EXPECT_TRUE(Contains(e2e::ConsoleText(), "cannot open marker-from-quoted-comspec")) << e2e::ConsoleText();
  }
  {
    char system[MAX_PATH] = {};
    ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);  // the count excludes the terminator
    ScopedEnvironment comspec("COMSPEC", ("\"" + std::string(system) + "\\cmd.exe\"").c_str());
    ScopedEnvironment path("PATH", nullptr);  // no stand-in on the path: what runs is COMSPEC's program
    host.Run("ConsoleCommand", "echo quoted-cmd-ran");
    EXPECT_TRUE(Contains(e2e::ConsoleText(), "quoted-cmd-ran")) << e2e::ConsoleText();
  }

  e2e::TempDir temp;
  e2e::WriteTextFile(temp / "not-a-program.exe", "plain text");
  // cmd.exe on the path stands in only for an interpreter that is not set, missing or denied. One that is
  // there and cannot start (ERROR_BAD_EXE_FORMAT) is the user's choice: its failure stands, nothing runs.
  const struct {
    const char* label;
    std::optional<std::string> comspec;
    bool falls_back;
  } fallbacks[] = {
      {"unset", std::nullopt, true},
      {"empty", "", true},
      {"missing file", temp / "missing.exe", true},
      {"missing folder", temp / "missing\\cmd.exe", true},
      {"a folder", temp.path(), !WineStartsNoFolderAsDenied()},
      {"not a program", temp / "not-a-program.exe", false},
  };
  for (const auto& c : fallbacks) {
    ScopedEnvironment comspec("COMSPEC", c.comspec ? c.comspec->c_str() : nullptr);
    const std::string marker = std::string("fallback ") + c.label + " ran";
    host.Run("ConsoleCommand", "echo " + marker);
    EXPECT_EQ(Contains(e2e::ConsoleText(), marker), c.falls_back) << c.label;
  }

  // A COMSPEC of the greatest length, whose reads under Wine do not follow the length rule (measured: a
  // 32767-character value reads back with a count of 8, whatever the buffer): the call returns.
  {
    ScopedEnvironment comspec("COMSPEC", std::string(32767, 'x').c_str());
    const DWORD start = GetTickCount();
    host.Run("ConsoleCommand", "echo after-a-long-comspec");
    EXPECT_LT(GetTickCount() - start, 10000u);
  }

  // No interpreter anywhere: the call returns and nothing runs.
  {
    ScopedEnvironment comspec("COMSPEC", nullptr);
    ScopedEnvironment path("PATH", temp.path().c_str());
    const DWORD start = GetTickCount();
    host.Run("ConsoleCommand", "echo never-runs");
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_FALSE(Contains(e2e::ConsoleText(), "never-runs"));
  }

  // A command line beyond the platform's 32767 characters starts no interpreter at all: the call returns.
  host.Run("ConsoleCommand", "echo too-long " + std::string(40000, 'x'));
  EXPECT_FALSE(Contains(e2e::ConsoleText(), "too-long"));
}

}  // namespace
