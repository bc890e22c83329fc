// The cost of programs run beside the game on the host's thread: a start, a status call with 16 programs running,
// and the throughput of capturing a program that writes 64 MiB against a bare ReadFile loop on the same program in
// the same process. Prints medians and worsts. The probe program of the Wine tests (program_probe.exe) must be
// next to this benchmark or in the tests' bin folder.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/wine/clock.h"
#include "bench/wine/engine_side.h"
#include "host/win_handle.h"
#include "tools/hostrun/host_double.h"

namespace {

using bench::Now;

constexpr int kRunning = 16;
constexpr int kStatusCalls = 20'000;
constexpr unsigned long kCaptureBytes = 64ul << 20;

using RunFn = int (*)(const char*, const char*, int);
using StatusFn = int (*)(int);
using ReadFn = char* (*)(int);
using EndFn = void (*)(int);

std::string ProbePath() {
  const std::string here = hostrun::ProgramDirectory();
  for (const std::string& candidate : {here + "program_probe.exe", here + "..\\bin\\program_probe.exe"})
    if (GetFileAttributesA(candidate.c_str()) != INVALID_FILE_ATTRIBUTES) return "\"" + candidate + "\"";
  return "";
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The same program read by a plain loop: a pipe, CreateProcess, ReadFile until the pipe ends.
double BareSeconds(const std::string& line) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE r = nullptr;
  HANDLE w = nullptr;
  if (!CreatePipe(&r, &w, &inherit, 64 * 1024)) return -1;
  hostkit::win::UniqueHandle read(r);
  hostkit::win::UniqueHandle write(w);
  SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write.get();
  startup.hStdError = write.get();
  std::string writable = line;
  PROCESS_INFORMATION started{};
  const double before = Now();
  if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &started))
    return -1;
  const hostkit::win::UniqueHandle process(started.hProcess);
  const hostkit::win::UniqueHandle thread(started.hThread);
  write.reset();
  std::vector<char> buffer(64 * 1024);
  unsigned long total = 0;
  DWORD got = 0;
  while (ReadFile(read.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) total += got;
  const double seconds = Now() - before;
  return total == kCaptureBytes ? seconds : -1;
}

}  // namespace

int main() {
  hostrun::HostDouble host{hostrun::Options{}};
  const auto run = bench::Export<RunFn>(host.module(), "?RunProgram@@YAHPBD0H@Z");
  const auto status = bench::Export<StatusFn>(host.module(), "?GetProgramStatus@@YAHH@Z");
  const auto read = bench::Export<ReadFn>(host.module(), "?ReadProgramOutput@@YAPADH@Z");
  const auto end = bench::Export<EndFn>(host.module(), "?EndProgram@@YAXH@Z");
  const std::string probe = ProbePath();
  if (run == nullptr || status == nullptr || read == nullptr || end == nullptr || probe.empty()) return 1;

  std::vector<double> start_ms;
  std::vector<int> ids;
  const std::string sleeper = probe + " sleep 60000";
  for (int i = 0; i < kRunning; ++i) {
    const double before = Now();
    ids.push_back(run(sleeper.c_str(), "", 2 | 8));
    start_ms.push_back((Now() - before) * 1e3);
  }
  std::vector<double> status_us;
  status_us.reserve(kStatusCalls);
  for (int i = 0; i < kStatusCalls; ++i) {
    const double before = Now();
    status(ids[static_cast<std::size_t>(i) % ids.size()]);
    status_us.push_back((Now() - before) * 1e6);
  }
  for (const int id : ids) end(id);
  std::printf("RunProgram start: median %.2f ms, worst %.2f ms (%d starts)\n", Median(start_ms),
              *std::max_element(start_ms.begin(), start_ms.end()), kRunning);
  std::printf("GetProgramStatus with %d running: median %.2f us, worst %.1f us (%d calls)\n", kRunning,
              Median(status_us), *std::max_element(status_us.begin(), status_us.end()), kStatusCalls);

  const std::string writer = probe + " write " + std::to_string(kCaptureBytes);
  const double before = Now();
  const int id = run(writer.c_str(), "", 1 | 2);
  unsigned long total = 0;
  for (;;) {
    const bool ended = status(id) != 0;  // then the output has all come: one more read takes the rest
    char* text = read(id);
    const std::size_t got = text != nullptr ? std::strlen(text) : 0;
    if (text != nullptr) bench::Release(text);
    total += got;
    if (ended && got == 0) break;
    if (got == 0) Sleep(1);
  }
  const double captured = Now() - before;
  const double bare = BareSeconds(writer);
  const double mib = static_cast<double>(kCaptureBytes) / (1 << 20);
  std::printf(
      "capture of %.0f MiB: %.0f MiB/s through RunProgram/ReadProgramOutput (%.2f s), %.0f MiB/s bare "
      "ReadFile loop (%.2f s)\n",
      mib, mib / captured, captured, bare > 0 ? mib / bare : 0.0, bare);
  return total == kCaptureBytes ? 0 : 2;
}
