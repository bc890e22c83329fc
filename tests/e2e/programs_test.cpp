// Programs run beside the game, through the real DLL in a frame loop: the probe program (probe/program_probe.cpp)
// exits, writes, echoes, sleeps and starts a grandchild as each case asks.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/win_handle.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

constexpr int kFrameMs = 16;
// A start under Wine 8 takes 5 to 30 ms on this machine shared with other tests; a start that waited on the
// program (the probe sleeps 500 ms) would pass this.
constexpr double kStartAtOnceMs = 250;

double NowMs() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
}

std::string Probe(const std::string& arguments) {
  return "\"" + e2e::BinDirectory() + "program_probe.exe\" " + arguments;
}

std::string Read(int id) { return e2e::Host().Str("ReadProgramOutput", id).value_or("<null>"); }
int Status(int id) { return e2e::Host().Int("GetProgramStatus", id); }

struct Ran {
  int id = 0;
  double start_ms = 0;
  int frames = 0;  // frames that ran while the program did
  int status = 0;
  int exit_code = 0;
  std::string output;
  int status_after = 0;  // once the exit code and the output have been read
};

// Starts the program and runs frames, reading its output each frame, until it ends; then reads its exit code and
// the rest of its output, as a script does.
Ran RunToEnd(const std::string& line, const std::string& folder, int flags, int max_frames = 1500) {
  Ran ran;
  const double before = NowMs();
  ran.id = e2e::Host().Int("RunProgram", line, folder, flags);
  ran.start_ms = NowMs() - before;
  while ((ran.status = Status(ran.id)) == 0 && ran.frames < max_frames) {
    ran.output += Read(ran.id);
    Sleep(kFrameMs);
    ++ran.frames;
  }
  ran.exit_code = e2e::Host().Int("GetProgramExitCode", ran.id);
  ran.output += Read(ran.id);
  ran.status_after = Status(ran.id);
  return ran;
}

// The pids a probe wrote ("pid N" lines), in order.
std::vector<DWORD> Pids(const std::string& output) {
  std::vector<DWORD> pids;
  for (std::size_t at = output.find("pid "); at != std::string::npos; at = output.find("pid ", at + 1))
    pids.push_back(std::stoul(output.substr(at + 4)));
  return pids;
}

// Whether the process has ended within the time (a process that is gone already counts as ended).
bool EndsWithin(DWORD pid, DWORD timeout_ms) {
  const hostkit::win::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  return !process || WaitForSingleObject(process.get(), timeout_ms) == WAIT_OBJECT_0;
}

std::string Pattern(std::size_t count) {
  std::string bytes(count, '\0');
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(i % 65 == 64 ? '\n' : 'a' + i % 26);
  return bytes;
}

TEST(Programs, StartReturnsAtOnceAndEachEndIsReportedWithItsCodeAndOutput) {
  e2e::TempDir folder;
  ASSERT_EQ(e2e::Host().Int("SetEnvironmentValue", "HK_PROBE_VALUE", "from the game"), 0);
  // Code pages of the test prefix: ANSI 1252, OEM 437 (Wine's defaults for an English locale).
  ASSERT_EQ(GetACP(), 1252u);
  ASSERT_EQ(GetOEMCP(), 437u);
  struct Case {
    const char* name;
    std::string line;
    std::string folder;
    int flags;
    int status;
    int exit_code;
    std::string output;
  };
  const Case cases[] = {
      {"runs while frames go on", Probe("sleep 500 exit 0"), "", 0, 1, 0, ""},
      {"exit code", Probe("exit 3"), "", 2, 1, 3, ""},
      {"all 32 bits of the exit code", Probe("exit 0xC0000005"), "", 2, 1, -1073741819, ""},
      {"a missing program", "no_such_program_here.exe", "", 1, 3, ERROR_FILE_NOT_FOUND, ""},
      {"both streams in the order they came", Probe("both"), "", 1 | 2, 1, 0, "out1\nerr1\nout2\nerr2\n"},
      {"the working folder", Probe("cwd"), folder.path(), 1 | 2, 1, 0, folder.path() + "\n"},
      {"a missing working folder", Probe("cwd"), folder / "missing", 1 | 2, 3, ERROR_DIRECTORY, ""},
      {"an environment value reaches it", Probe("env HK_PROBE_VALUE"), "", 1 | 2, 1, 0, "from the game\n"},
      {"bytes as they are", Probe("bytes 82C3A9"), "", 1 | 2, 1, 0, "\x82\xC3\xA9"},
      {"OEM to ANSI (437 to 1252: the sigma is missing)", Probe("bytes 8281E4"), "", 1 | 2 | 16, 1, 0, "\xE9\xFC?"},
      {"UTF-8 to ANSI", Probe("bytes C3A9E282ACC481"), "", 1 | 2 | 32, 1, 0, "\xE9\x80?"},
      {"zero bytes dropped", Probe("bytes 6100620000"), "", 1 | 2 | 32, 1, 0, "ab"},
  };
  for (const Case& c : cases) {
    const Ran ran = RunToEnd(c.line, c.folder, c.flags);
    EXPECT_GE(ran.id, 1) << c.name;
    EXPECT_LT(ran.start_ms, kStartAtOnceMs) << c.name;
    EXPECT_EQ(ran.status, c.status) << c.name;
    EXPECT_EQ(ran.exit_code, c.exit_code) << c.name;
    EXPECT_EQ(ran.output, c.output) << c.name;
    EXPECT_EQ(ran.status_after, -1) << c.name << ": forgotten once read whole";
  }
  // The first case's program slept 500 ms while the frames ran.
  EXPECT_GE(RunToEnd(Probe("sleep 500"), "", 0).frames, 10);
}

TEST(Programs, OutputComesWholeAndInOrderAndUnreadOutputIsBounded) {
  // 40 MiB, read late: the program cannot finish while 16 MiB wait unread, and nothing is lost.
  constexpr std::size_t kBytes = 40u << 20;
  const int id = e2e::Host().Int("RunProgram", Probe("write " + std::to_string(kBytes)), "", 1 | 2);
  ASSERT_GE(id, 1);
  Sleep(3000);
  EXPECT_EQ(Status(id), 0) << "the program waits on its write until the script reads";
  std::string output;
  for (int frame = 0; frame < 3000 && Status(id) == 0; ++frame, Sleep(kFrameMs)) output += Read(id);
  output += Read(id);
  EXPECT_EQ(Status(id), 1);
  ASSERT_EQ(output.size(), kBytes);
  EXPECT_TRUE(output == Pattern(kBytes)) << "whole and in order";
}

TEST(Programs, InputIsWrittenQueuedAndClosed) {
  auto& host = e2e::Host();
  const int id = host.Int("RunProgram", Probe("echo"), "", 1 | 2 | 4);
  ASSERT_GE(id, 1);
  EXPECT_EQ(host.Int("WriteProgramInput", id, "first line\n"), 0);
  EXPECT_EQ(host.Int("WriteProgramInput", id, ""), 0);
  EXPECT_EQ(host.Int("WriteProgramInput", id, std::string(1 << 20, 'x')), 0) << "more than the pipe takes at once";
  EXPECT_EQ(host.Int("WriteProgramInput", id, std::string((16 << 20) + 1, 'y')), ERROR_NOT_ENOUGH_MEMORY)
      << "past the queue's bound: nothing of the call is written";
  host.Run("CloseProgramInput", id);
  EXPECT_EQ(host.Int("WriteProgramInput", id, "late"), ERROR_NO_DATA);
  const Ran ran = [&] {
    Ran r;
    for (int frame = 0; frame < 1500 && Status(id) == 0; ++frame, Sleep(kFrameMs)) r.output += Read(id);
    r.exit_code = host.Int("GetProgramExitCode", id);
    r.output += Read(id);
    return r;
  }();
  EXPECT_EQ(ran.output, "first line\n" + std::string(1 << 20, 'x') + "<eof>");

  struct Refused {
    const char* name;
    int id;
    int error;
  };
  const int no_input = host.Int("RunProgram", Probe("sleep 200"), "", 2);
  const int ended = host.Int("RunProgram", Probe("sleep 5000"), "", 2 | 4);
  host.Run("EndProgram", ended);
  const Refused refused[] = {
      {"started without flag 4", no_input, ERROR_INVALID_HANDLE},
      {"ended", ended, ERROR_BROKEN_PIPE},
      {"unknown", 999999, ERROR_INVALID_PARAMETER},
      {"negative", -3, ERROR_INVALID_PARAMETER},
  };
  for (const Refused& r : refused) EXPECT_EQ(host.Int("WriteProgramInput", r.id, "x"), r.error) << r.name;
}

TEST(Programs, EndProgramEndsTheWholeTreeAtOnceAndKeepsTheOutput) {
  auto& host = e2e::Host();
  const int id = host.Int("RunProgram", Probe("pid spawn \"sleep 60000\" sleep 300 write 1000 sleep 60000"), "", 1 | 2);
  std::string output;
  for (int frame = 0; frame < 600 && Pids(output).size() < 2; ++frame, Sleep(kFrameMs)) output += Read(id);
  const std::vector<DWORD> pids = Pids(output);
  ASSERT_EQ(pids.size(), 2u) << output;
  Sleep(1500);  // the 1000 bytes come meanwhile, unread
  host.Run("EndProgram", id);
  EXPECT_EQ(Status(id), 2);
  host.Run("EndProgram", id);
  EXPECT_EQ(Status(id), 2) << "a second end changes nothing";
  EXPECT_TRUE(EndsWithin(pids[0], 2000)) << "the program";
  EXPECT_TRUE(EndsWithin(pids[1], 2000)) << "the program it started";
  output += Read(id);
  EXPECT_TRUE(output.ends_with(Pattern(1000))) << "what was written before the end stays readable";
  EXPECT_EQ(host.Int("GetProgramExitCode", id), 1);
  // Forgotten once the pipe has ended (a moment after the tree) and a read has handed over the rest.
  for (int frame = 0; frame < 300 && Status(id) != -1; ++frame, Sleep(kFrameMs)) EXPECT_EQ(Read(id), "");
  EXPECT_EQ(Status(id), -1) << "read whole";
}

// hostrun plays a second game that starts a program with flag 8 (which starts a grandchild) and then exits or is
// killed: both programs end with it.
TEST(Programs, Flag8EndsTheTreeWithTheHostProcess) {
  for (const bool killed : {false, true}) {
    e2e::TempDir temp;
    std::string line = Probe("pid spawn \"sleep 60000\" sleep 60000");
    std::string quoted;
    for (const char c : line) quoted += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
    e2e::WriteTextFile(temp / "game.hks", "RunProgram \"" + quoted + "\" \"\" 11\nFrames 40\nReadProgramOutput 1\n" +
                                              (killed ? "Frames 100000\n" : ""));
    // The game's output goes to a file, so that the test reads the pids while the game may still run.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    hostkit::win::UniqueFile log(CreateFileA((temp / "out.txt").c_str(), GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = log.get();
    startup.hStdError = log.get();
    std::string command = "\"" + e2e::BinDirectory() + "hostrun.exe\" \"" + (temp / "game.hks") + "\"";
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started));
    const hostkit::win::UniqueHandle game(started.hProcess);
    const hostkit::win::UniqueHandle thread(started.hThread);
    log.reset();
    std::vector<DWORD> pids;
    for (int tries = 0; tries < 300 && pids.size() < 2; ++tries) {
      Sleep(50);
      const hostkit::win::UniqueFile read(CreateFileA((temp / "out.txt").c_str(), GENERIC_READ,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                                      nullptr));
      char text[512] = {};
      DWORD got = 0;
      ReadFile(read.get(), text, sizeof text - 1, &got, nullptr);
      pids = Pids(text);
    }
    ASSERT_EQ(pids.size(), 2u) << (killed ? "killed" : "exits");
    if (killed) TerminateProcess(game.get(), 7);
    ASSERT_EQ(WaitForSingleObject(game.get(), 10000), WAIT_OBJECT_0) << "the game ends without hanging";
    EXPECT_TRUE(EndsWithin(pids[0], 2000)) << (killed ? "killed" : "exits") << ": the program";
    EXPECT_TRUE(EndsWithin(pids[1], 2000)) << (killed ? "killed" : "exits") << ": the program it started";
  }
}

TEST(Programs, BoundsAndBadInputAreRefusedHarmlessly) {
  auto& host = e2e::Host();
  std::vector<int> ids;
  for (int i = 0; i < 64; ++i) ids.push_back(host.Int("RunProgram", Probe("sleep 60000"), "", 2 | 8));
  for (const int id : ids) EXPECT_GE(id, 1);
  EXPECT_EQ(host.Int("RunProgram", Probe("exit 0"), "", 2), 0) << "the 65th while 64 run";
  // Ended requests never read are kept up to 64, the one that ended first forgotten first; the ends come in a
  // known order: ids[10], `next` (which exits by itself), then the others one by one.
  host.Run("EndProgram", ids[10]);
  const int next = host.Int("RunProgram", Probe("exit 0"), "", 2);
  EXPECT_GT(next, ids.back()) << "an ended program frees a place; ids are not reused";
  for (int frame = 0; frame < 300 && Status(next) == 0; ++frame) Sleep(kFrameMs);
  for (const int id : ids) host.Run("EndProgram", id);
  const int after = host.Int("RunProgram", Probe("exit 0"), "", 2);  // 65 ended: the first to end goes
  EXPECT_EQ(Status(ids[10]), -1);
  EXPECT_EQ(Status(next), 1);
  for (int frame = 0; frame < 300 && Status(after) == 0; ++frame) Sleep(kFrameMs);
  host.Int("RunProgram", Probe("exit 0"), "", 2);
  EXPECT_EQ(Status(next), -1);
  EXPECT_EQ(Status(ids[0]), 2);
  EXPECT_EQ(host.Int("GetProgramExitCode", after), 0);

  struct Start {
    const char* name;
    std::string line;
    int flags;
  };
  const Start refused[] = {
      {"empty", "", 0},
      {"blank", "   ", 0},
      {"over 32,767 characters", Probe("exit 0 ") + std::string(32767, 'x'), 0},
      {"two encodings", Probe("exit 0"), 16 | 32},
  };
  for (const Start& s : refused) EXPECT_EQ(host.Int("RunProgram", s.line, "", s.flags), 0) << s.name;
  EXPECT_EQ(host.Int("RunProgram", nullptr, nullptr, 0), 0);

  for (const int bad : {0, -1, 999999, next + 1000}) {
    EXPECT_EQ(host.Int("GetProgramStatus", bad), -1) << bad;
    EXPECT_EQ(host.Int("GetProgramExitCode", bad), 0) << bad;
    EXPECT_EQ(host.Str("ReadProgramOutput", bad), "") << bad;
    host.Run("CloseProgramInput", bad);
    host.Run("EndProgram", bad);
  }
}

TEST(Programs, EnvironmentValuesAreSetReadAndRemoved) {
  auto& host = e2e::Host();
  struct Case {
    const char* name;
    const char* variable;
    const char* value;
    int answer;
    std::string read;
  };
  const Case cases[] = {
      {"set", "HK_ENV_TEST", "one two", 0, "one two"},         {"replaced", "HK_ENV_TEST", "three", 0, "three"},
      {"removed by an empty value", "HK_ENV_TEST", "", 0, ""}, {"removed when unset", "HK_ENV_NEVER_SET", "", 0, ""},
      {"no name", "", "x", ERROR_INVALID_PARAMETER, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(host.Int("SetEnvironmentValue", c.variable, c.value), c.answer) << c.name;
    EXPECT_EQ(host.Str("GetEnvironmentValue", c.variable), c.read) << c.name;
  }
  EXPECT_EQ(host.Str("GetEnvironmentValue", nullptr), "");
}

// A host that frees hostkit with a program running: the host goes on, a captured program keeps the module loaded
// until its output ends, a plain one runs on, a flag 8 one ends with the module; the DLL loads again.
TEST(Programs, UnloadingWithOneRunning) {
  using RunFn = int (*)(const char*, const char*, int);
  using StatusFn = int (*)(int);
  struct Case {
    const char* name;
    int flags;
    bool module_stays;
    bool runs_on;
  };
  const Case cases[] = {
      {"captured", 1 | 2, true, true},
      {"plain", 2, false, true},
      {"ends with the host", 2 | 8, false, false},
  };
  const std::string dll = e2e::BinDirectory() + "hostkit.dll";
  for (const Case& c : cases) {
    e2e::TempDir temp;
    const std::string mark = temp / "ran_on";
    HMODULE module = LoadLibraryA(dll.c_str());
    ASSERT_NE(module, nullptr);
    const auto run =
        reinterpret_cast<RunFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, "?RunProgram@@YAHPBD0H@Z")));
    ASSERT_NE(run, nullptr);
    ASSERT_GE(run(Probe("sleep 1500 touch \"" + mark + "\"").c_str(), "", c.flags), 1) << c.name;
    FreeLibrary(module);
    EXPECT_EQ(GetModuleHandleA("hostkit.dll") != nullptr, c.module_stays) << c.name;
    Sleep(3000);
    EXPECT_EQ(GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES, c.runs_on) << c.name;
    for (int tries = 0; tries < 100 && GetModuleHandleA("hostkit.dll") != nullptr; ++tries) Sleep(50);
    EXPECT_EQ(GetModuleHandleA("hostkit.dll"), nullptr) << c.name << ": unloaded once its threads are done";
    module = LoadLibraryA(dll.c_str());
    ASSERT_NE(module, nullptr) << c.name;
    const auto status =
        reinterpret_cast<StatusFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, "?GetProgramStatus@@YAHH@Z")));
    EXPECT_EQ(status(1), -1) << c.name << ": a fresh table";
    FreeLibrary(module);
  }
}

}  // namespace
