// One regex case in a host process of its own (tests/e2e/regex_bounds_test.cpp runs it): the command through the
// DLL, timed, with the rise of the process's peak resident memory (and of its committed memory, sampled while it
// runs); then GetRegExError and an ordinary call. With --bare, the same case through the bare std::regex of this
// build instead, on a thread with a 512 MB stack, for comparison. Prints one "key value" line per figure.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <thread>

#include "tests/e2e/harness/process_memory.h"
#include "tests/e2e/probe/regex_cases.h"
#include "tools/hostrun/host_double.h"

namespace {

using e2e::regex_cases::Case;

std::uint64_t Fnv(const std::string& s) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h;
}

// The bare engine, walking as the commands do.
std::string Bare(const Case& c) {
  const std::regex re(c.pattern, std::regex::ECMAScript | std::regex::multiline);
  const std::string command = c.command;
  if (command == "RegExMatch") return std::regex_match(c.text, re) ? "1" : "0";
  if (command == "RegExReplace") return std::regex_replace(c.text, re, c.replacement);
  std::string list = "[";
  const char* const end = c.text.data() + c.text.size();
  std::cmatch m;
  for (const char* from = c.text.data();;) {
    if (!std::regex_search(from, end, m, re)) break;
    list += "{" + std::to_string(m[0].first - c.text.data()) + "," + std::to_string(m.length(0)) + "},";
    if (m[0].second != m[0].first)
      from = m[0].second;
    else if (m[0].second == end)
      break;
    else
      from = m[0].second + 1;
  }
  if (list.size() == 1) return "";
  list.back() = ']';
  return list;
}

struct BareRun {
  const Case* c;
  std::string result;
};

DWORD WINAPI BareThread(LPVOID parameter) {
  auto* run = static_cast<BareRun*>(parameter);
  run->result = Bare(*run->c);
  return 0;
}

// The bare engine recurses once per character: it gets a stack it cannot run out of in these cases.
std::string BareOnLargeStack(const Case& c) {
  BareRun run{&c, {}};
  // Wine 10 finds no 512 MB of free address space for it (measured); the deepest case needs about 100 MB.
  HANDLE thread = nullptr;
  for (unsigned megabytes = 512; thread == nullptr && megabytes >= 128; megabytes -= 64)
    thread = CreateThread(nullptr, megabytes << 20, &BareThread, &run, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) return "no thread";
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return run.result;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bare = argc > 2 && std::strcmp(argv[1], "--bare") == 0;
  const char* name = argv[argc - 1];
  Case found{};
  bool known = false;
  for (const Case& c : e2e::regex_cases::All())
    if (std::strcmp(c.name, name) == 0) found = c, known = true;
  if (!known) return 2;

  hostrun::Options options;
  options.window = false;
  hostrun::HostDouble host(options);
  const e2e::Resident resident_before = e2e::ResidentBytes();
  const long long before = e2e::CommittedPrivateBytes();
  std::atomic<bool> done{false};
  std::atomic<long long> peak{before};
  std::thread sampler([&] {
    while (!done) {
      const long long now = e2e::CommittedPrivateBytes();
      if (now > peak) peak = now;
      Sleep(1);
    }
  });
  const auto start = std::chrono::steady_clock::now();
  std::string result;
  if (bare) {
    result = BareOnLargeStack(found);
  } else if (std::strcmp(found.command, "RegExMatch") == 0) {
    result = std::to_string(host.Int("RegExMatch", found.text, found.pattern));
  } else if (std::strcmp(found.command, "RegExReplace") == 0) {
    result = host.Str("RegExReplace", found.text, found.pattern, found.replacement).value_or("null");
  } else {
    result = host.Str(found.command, found.text, found.pattern).value_or("null");
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const e2e::Resident resident_after = e2e::ResidentBytes();
  done = true;
  sampler.join();
  std::printf("result %zu %016llx\n", result.size(), static_cast<unsigned long long>(Fnv(result)));
  std::printf("answer %.40s\n", result.c_str());
  std::printf("seconds %.3f\n", seconds);
  std::printf("resident %lld\n", resident_after.peak - resident_before.now);
  std::printf("resident-after %lld\n", resident_after.now - resident_before.now);
  std::printf("committed %lld\n", peak - before);
  if (!bare) {
    std::printf("error %s\n", host.Str("GetRegExError").value_or("null").c_str());
    std::printf("after %s\n", host.Str("RegExSearchPosition", "a1b22", "[0-9]+").value_or("null").c_str());
    std::printf("after-error %s\n", host.Str("GetRegExError").value_or("null").c_str());
  }
  return 0;
}
