// Enumerating a folder of 100,000 files through the exports (first-call, next-calls and three getters per
// entry, each string freed as the engine would) against a bare FindFirstFileA/FindNextFileA loop, side by
// side in one process. Prints the best of several alternating rounds of each, their ratio and entries/s.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "bench/wine/clock.h"
#include "tools/hostrun/host_double.h"

namespace {

using bench::Now;

constexpr int kFiles = 100'000;
constexpr int kRounds = 5;

using NameFn = char* (*)(const char*);
using NextFn = char* (*)();
using IntFn = int (*)();
using StampFn = char* (*)(int);
using FreeFn = std::intptr_t (*)(std::intptr_t);

template <class F>
F Export(HMODULE dll, const char* name) {
  // Through void*: FARPROC is declared without arguments, the exports are cdecl with their own.
  auto address = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
  if (address == nullptr) {
    std::fprintf(stderr, "missing export %s\n", name);
    std::exit(1);
  }
  return address;
}

// Creating 100,000 files through Wine is quadratic (each new name makes Wine scan the folder for a
// case-insensitive match: over 15 minutes measured), so the files are made and removed by the host system's
// shell, which Wine starts like any program.
std::string UnixPath(const std::string& dos) {
  using UnixNameFn = char*(CDECL*)(const WCHAR*);
  const auto to_unix = reinterpret_cast<UnixNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  WCHAR wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, dos.c_str(), -1, wide, MAX_PATH);
  char* name = to_unix != nullptr ? to_unix(wide) : nullptr;
  if (name == nullptr) {
    std::fprintf(stderr, "this benchmark runs under Wine only\n");
    std::exit(1);
  }
  std::string path = name;
  HeapFree(GetProcessHeap(), 0, name);
  return path;
}

// Wine's handle to a host-system process is signalled at once, so the caller waits for a path to appear or
// go away instead.
void RunUnixShell(const std::string& script, const std::string& dos_path, bool until_present) {
  std::string line = "/bin/sh -c \"" + script + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    std::fprintf(stderr, "cannot run %s\n", line.c_str());
    std::exit(1);
  }
  CloseHandle(info.hThread);
  while ((GetFileAttributesA(dos_path.c_str()) != INVALID_FILE_ATTRIBUTES) != until_present) Sleep(20);
  CloseHandle(info.hProcess);
}

long Bare(const std::string& pattern) {
  long entries = 0;
  WIN32_FIND_DATAA record;
  HANDLE find = FindFirstFileA(pattern.c_str(), &record);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do ++entries;
  while (FindNextFileA(find, &record));
  FindClose(find);
  return entries;
}

}  // namespace

int main() {
  hostrun::Options options;
  options.window = false;
  hostrun::HostDouble host(options);
  const HMODULE dll = host.module();
  const auto first = Export<NameFn>(dll, "?GetFirstFile@@YAPADPBD@Z");
  const auto next = Export<NextFn>(dll, "?GetNextFile@@YAPADXZ");
  const auto attributes = Export<IntFn>(dll, "?GetCurrentFileAttributes@@YAHXZ");
  const auto size_low = Export<IntFn>(dll, "?GetCurrentFileSizeLow@@YAHXZ");
  const auto write_date = Export<StampFn>(dll, "?GetCurrentFileLastWriteDate@@YAPADH@Z");
  const auto release = reinterpret_cast<FreeFn>(hostrun::HostDouble::DeleteStringAddress());

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);  // the count excludes the terminator; the path ends with a backslash
  const std::string folder = std::string(temp) + "hostkit-bench-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string unix_folder = UnixPath(folder);
  const double made = Now();
  RunUnixShell("cd '" + unix_folder + "' && seq -f f%06g.dat 0 " + std::to_string(kFiles - 1) +
                   " | xargs touch && touch '" + unix_folder + "-done'",
               folder + "-done", true);
  DeleteFileA((folder + "-done").c_str());
  std::printf("made %d files in %.1f s\n", kFiles, Now() - made);
  const std::string pattern = folder + "\\*";

  double best_bare = 1e9, best_exports = 1e9;
  long bare_entries = 0, export_entries = 0;
  long long checksum = 0;
  for (int round = 0; round < kRounds; ++round) {
    double start = Now();
    bare_entries = Bare(pattern);
    best_bare = std::min(best_bare, Now() - start);

    start = Now();
    export_entries = 0;
    for (char* name = first(pattern.c_str()); name != nullptr && name[0] != '\0'; name = next()) {
      ++export_entries;
      release(reinterpret_cast<std::intptr_t>(name));
      checksum += attributes() + size_low();
      char* date = write_date(0);
      checksum += date[0];
      release(reinterpret_cast<std::intptr_t>(date));
    }
    best_exports = std::min(best_exports, Now() - start);
  }

  std::printf("bare FindFirstFileA/FindNextFileA: %ld entries in %.3f s (%.0f entries/s)\n", bare_entries, best_bare,
              bare_entries / best_bare);
  std::printf(
      "exports (GetFirstFile/GetNextFile + attributes, size, write date): %ld files in %.3f s (%.0f entries/s)\n",
      export_entries, best_exports, export_entries / best_exports);
  std::printf("ratio exports/bare: %.2f (checksum %lld)\n", best_exports / best_bare, checksum);

  RunUnixShell("rm -rf '" + unix_folder + "'", folder, false);
  return export_entries == kFiles ? 0 : 1;
}
