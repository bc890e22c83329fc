// The program that the programs tests run beside the game: a console program that carries out its arguments in order.
//   exit CODE       ends with CODE (decimal or 0x hex, all 32 bits)
//   write N         writes N bytes to standard output: byte i is a line feed where i % 65 is 64, else 'a' + i % 26
//   both            writes "out1\n", "err1\n", "out2\n", "err2\n" to standard output and error by turns
//   echo            copies standard input to standard output until its end, then writes "<eof>"
//   sleep MS        sleeps
//   spawn ARGS      starts this program with ARGS (one argument), writes "pid N\n" and goes on
//   cwd             writes the working folder and a line feed
//   env NAME        writes the variable's value (or "<unset>") and a line feed
//   bytes HEX       writes the bytes that HEX spells out (two digits a byte)
//   pid             writes "pid N\n" with its own process id
//   touch PATH      makes an empty file
#include <windows.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "host/win_handle.h"

namespace {

void Put(DWORD which, const std::string& text) {
  DWORD wrote = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    if (!WriteFile(GetStdHandle(which), text.data() + at, static_cast<DWORD>(text.size() - at), &wrote, nullptr))
      ExitProcess(90);
    at += wrote;
  }
}

void Out(const std::string& text) { Put(STD_OUTPUT_HANDLE, text); }

void WriteBytes(unsigned long count) {
  std::string chunk;
  for (unsigned long i = 0; i < count; ++i) {
    chunk += static_cast<char>(i % 65 == 64 ? '\n' : 'a' + i % 26);
    if (chunk.size() == 65536) Out(std::exchange(chunk, std::string()));
  }
  Out(chunk);
}

void Echo() {
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0)
    Out(std::string(buffer, got));
  Out("<eof>");
}

void Spawn(const std::string& arguments) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string line = "\"" + std::string(self) + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
    ExitProcess(91);
  const hostkit::win::UniqueHandle process(started.hProcess);
  const hostkit::win::UniqueHandle thread(started.hThread);
  Out("pid " + std::to_string(started.dwProcessId) + "\n");
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string what = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (what == "exit") ExitProcess(static_cast<UINT>(std::strtoul(value, nullptr, 0)));
    if (what == "write") WriteBytes(std::strtoul(value, nullptr, 0)), ++i;
    if (what == "both") {
      Put(STD_OUTPUT_HANDLE, "out1\n");
      Put(STD_ERROR_HANDLE, "err1\n");
      Put(STD_OUTPUT_HANDLE, "out2\n");
      Put(STD_ERROR_HANDLE, "err2\n");
    }
    if (what == "echo") Echo();
    if (what == "sleep") Sleep(std::strtoul(value, nullptr, 0)), ++i;
    if (what == "spawn") Spawn(value), ++i;
    if (what == "cwd") {
      char folder[MAX_PATH] = {};
      GetCurrentDirectoryA(MAX_PATH, folder);
      Out(std::string(folder) + "\n");
    }
    if (what == "env") {
      char buffer[1024] = {};
      Out((GetEnvironmentVariableA(value, buffer, sizeof buffer) > 0 ? std::string(buffer) : "<unset>") + "\n");
      ++i;
    }
    if (what == "pid") Out("pid " + std::to_string(GetCurrentProcessId()) + "\n");
    if (what == "touch") {
      const hostkit::win::UniqueFile file(
          CreateFileA(value, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      ++i;
    }
    if (what == "bytes") {
      const std::string hex = value;
      std::string bytes;
      for (std::size_t at = 0; at + 1 < hex.size(); at += 2)
        bytes += static_cast<char>(std::strtoul(hex.substr(at, 2).c_str(), nullptr, 16));
      Out(bytes);
      ++i;
    }
  }
  return 0;
}
