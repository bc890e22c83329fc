#include "tests/e2e/harness/process.h"

#include <stdexcept>
#include <vector>

#include "host/win_handle.h"
#include "tools/hostrun/host_double.h"

namespace e2e {
namespace {

// Moves whatever the pipe holds now into text, without blocking.
void DrainAvailable(HANDLE pipe, std::string& text) {
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
    std::string chunk(available, '\0');
    DWORD got = 0;
    if (!ReadFile(pipe, chunk.data(), available, &got, nullptr) || got == 0) return;
    text.append(chunk, 0, got);
  }
}

void RemoveTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  hostkit::win::UniqueFind find(FindFirstFileA((path + "\\*").c_str(), &entry));
  if (find) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileA(child.c_str());
    } while (FindNextFileA(find.get(), &entry));
  }
  find.reset();
  RemoveDirectoryA(path.c_str());
}

}  // namespace

ProcessResult RunProcess(const std::string& command_line, const std::string& input, DWORD timeout_ms) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE raw[6] = {};
  // [0,1] stdin read/write, [2,3] stdout, [4,5] stderr
  for (int i = 0; i < 3; ++i)
    if (!CreatePipe(&raw[2 * i], &raw[2 * i + 1], &inherit, 0)) throw std::runtime_error("CreatePipe failed");
  hostkit::win::UniqueHandle in_read(raw[0]), in_write(raw[1]), out_read(raw[2]), out_write(raw[3]), err_read(raw[4]),
      err_write(raw[5]);
  SetHandleInformation(in_write.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(out_read.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(err_read.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read.get();
  startup.hStdOutput = out_write.get();
  startup.hStdError = err_write.get();
  PROCESS_INFORMATION info{};
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
    throw std::runtime_error("cannot start " + command_line);
  hostkit::win::UniqueHandle process(info.hProcess), thread(info.hThread);
  in_read.reset();
  out_write.reset();
  err_write.reset();

  ProcessResult result;
  DWORD written = 0;
  if (!input.empty()) ::WriteFile(in_write.get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  in_write.reset();
  // Poll rather than read to the end: Wine's helper processes may inherit the pipes and keep them open.
  const DWORD start = GetTickCount();
  for (;;) {
    const bool ended = WaitForSingleObject(process.get(), 10) == WAIT_OBJECT_0;
    DrainAvailable(out_read.get(), result.out);
    DrainAvailable(err_read.get(), result.err);
    if (ended) break;
    if (GetTickCount() - start > timeout_ms) {
      TerminateProcess(process.get(), 99);
      WaitForSingleObject(process.get(), INFINITE);
    }
  }
  GetExitCodeProcess(process.get(), &result.exit_code);
  // Windows programs write CRLF; tests compare plain lines.
  for (std::string* text : {&result.out, &result.err}) {
    std::string clean;
    for (std::size_t i = 0; i < text->size(); ++i)
      if (!((*text)[i] == '\r' && i + 1 < text->size() && (*text)[i + 1] == '\n')) clean += (*text)[i];
    *text = clean;
  }
  return result;
}

std::string BinDirectory() { return hostrun::ProgramDirectory(); }

ProcessResult RunHostrun(const std::string& arguments, const std::string& input) {
  return RunProcess("\"" + BinDirectory() + "hostrun.exe\" " + arguments, input);
}

ChildProcess::ChildProcess(const std::string& command_line) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    throw std::runtime_error("cannot start " + command_line);
  hostkit::win::UniqueHandle thread(info.hThread);
  process_.reset(info.hProcess);
}

ChildProcess::~ChildProcess() {
  if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 10000);
  }
}

bool WaitPumping(HANDLE object, DWORD timeout_ms) {
  for (const DWORD start = GetTickCount();;) {
    const DWORD waited = GetTickCount() - start;
    if (waited > timeout_ms) return false;
    if (MsgWaitForMultipleObjects(1, &object, FALSE, timeout_ms - waited, QS_ALLINPUT) == WAIT_OBJECT_0) return true;
    hostrun::HostDouble::Pump();
  }
}

DWORD ChildProcess::Wait(DWORD timeout_ms) {
  if (!WaitPumping(process_.get(), timeout_ms)) throw std::runtime_error("a child process hangs");
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}

bool RunningOnWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

TempDir::TempDir() {
  char base[MAX_PATH] = {};
  // The count excludes the terminator; the path ends with a backslash.
  GetTempPathA(MAX_PATH, base);
  static LONG counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::string(base) + "hostkit-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(InterlockedIncrement(&counter));
    if (CreateDirectoryA(path_.c_str(), nullptr)) return;
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() { RemoveTree(path_); }

void WriteTextFile(const std::string& path, const std::string& content) {
  hostkit::win::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("cannot write " + path);
  DWORD written = 0;
  ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
}

}  // namespace e2e
