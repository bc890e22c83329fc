// Starting a program with its pipes and its job, and the threads that drain its output and write its input.
#include "programs/program.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "host/inherit_only.h"
#include "host/module_thread.h"
#include "programs/output_text.h"

namespace hostkit::programs {
namespace {

// The pipes' buffers, and what one read of the drain takes: large enough that a program writing fast rarely waits
// on a full pipe between two reads, small enough to cost nothing per program.
constexpr DWORD kPipeBytes = 64 * 1024;
// How often an idle input writer looks whether its program has ended.
constexpr std::chrono::milliseconds kWriterIdle{200};

std::uint64_t Stamp(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::uint64_t Now() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  return Stamp(now);
}

// The jobs of flag 8 programs whose requests are gone while something in the job still runs: they close when the
// module unloads for good or the process ends, and so end what runs in them. A job whose processes have all ended is
// closed at the next keep. Made at load, before the request table (a local static of the first start), so it is
// destroyed after the table has handed it its jobs.
std::mutex g_kept_jobs_lock;
std::vector<win::UniqueHandle> g_kept_jobs;

bool JobRuns(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
  if (!::QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, nullptr))
    return true;
  return accounting.ActiveProcesses > 0;
}

void KeepJob(win::UniqueHandle job) {
  const std::lock_guard guard(g_kept_jobs_lock);
  auto& jobs = g_kept_jobs;
  jobs.erase(std::remove_if(jobs.begin(), jobs.end(), [](const win::UniqueHandle& j) { return !JobRuns(j.get()); }),
             jobs.end());
  if (JobRuns(job.get())) jobs.push_back(std::move(job));
}

// A job that ends its processes when its last handle closes (flag 8) or one that only holds them together.
win::UniqueHandle MakeJob(bool end_with_host) {
  win::UniqueHandle job(::CreateJobObjectA(nullptr, nullptr));
  if (!job || !end_with_host) return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) job.reset();
  return job;
}

// Both ends not inheritable; `child_end` is made inheritable for the start alone.
bool MakePipe(win::UniqueHandle& read, win::UniqueHandle& write) {
  HANDLE r = nullptr;
  HANDLE w = nullptr;
  if (!::CreatePipe(&r, &w, nullptr, kPipeBytes)) return false;
  read.reset(r);
  write.reset(w);
  return true;
}

bool Inheritable(const win::UniqueHandle& handle) {
  return ::SetHandleInformation(handle.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) != 0;
}

win::UniqueHandle NullDevice() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE device = ::CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                      OPEN_EXISTING, 0, nullptr);
  return win::UniqueHandle(device == INVALID_HANDLE_VALUE ? nullptr : device);
}

void Drain(OutputBuffer& output, HANDLE pipe) {
  std::vector<char> chunk(kPipeBytes);
  for (;;) {
    const std::size_t room = std::min(output.WaitForRoom(), chunk.size());
    DWORD got = 0;
    // Fails with ERROR_BROKEN_PIPE once every write end has closed: the program and whatever inherited its output.
    if (!::ReadFile(pipe, chunk.data(), static_cast<DWORD>(room), &got, nullptr)) break;
    output.Append({chunk.data(), got});
  }
  output.Close();
}

bool WriteAll(HANDLE pipe, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    DWORD wrote = 0;
    const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, kPipeBytes));
    if (!::WriteFile(pipe, bytes.data() + at, size, &wrote, nullptr)) return false;
    at += wrote;
  }
  return true;
}

void Write(InputQueue& input, HANDLE pipe, HANDLE process) {
  std::string bytes;
  for (;;) {
    switch (input.Take(bytes, kWriterIdle)) {
      case InputQueue::Next::Done:
        return;
      case InputQueue::Next::Idle:
        if (::WaitForSingleObject(process, 0) != WAIT_OBJECT_0) break;
        input.Break();
        return;
      case InputQueue::Next::Write:
        if (WriteAll(pipe, bytes)) break;
        input.Break();
        return;
    }
  }
}

}  // namespace

Program::Program(int flags) : flags_(flags) {
  if ((flags & kCapture) != 0) output_ = std::make_shared<OutputBuffer>();
  if ((flags & kInput) != 0) input_ = std::make_shared<InputQueue>();
}

Program::~Program() {
  if (job_ && (flags_ & kEndWithHost) != 0) KeepJob(std::move(job_));
}

void Program::NotStarted(DWORD error) {
  exit_code_.store(error);
  end_stamp_.store(Now());
  process_ended_ = true;
  if (input_) input_->Break();
  if (output_) output_->Close();
  status_.store(Status::NotStarted);
}

bool Program::StartDrain(win::UniqueHandle pipe) {
  auto shared_pipe = std::make_shared<win::UniqueHandle>(std::move(pipe));
  return host::RunOnModuleThread([output = output_, pipe = std::move(shared_pipe)] { Drain(*output, pipe->get()); });
}

bool Program::StartWriter(win::UniqueHandle pipe) {
  HANDLE process = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), process_.get(), ::GetCurrentProcess(), &process, SYNCHRONIZE, FALSE, 0))
    return false;
  auto handles =
      std::make_shared<std::pair<win::UniqueHandle, win::UniqueHandle>>(std::move(pipe), win::UniqueHandle(process));
  // The pipe closes as the thread ends, after the last queued byte: the program then reads end of input.
  return host::RunOnModuleThread(
      [input = input_, handles = std::move(handles)] { Write(*input, handles->first.get(), handles->second.get()); });
}

void Program::Start(const std::string& command_line, const std::string& folder) {
  const std::lock_guard guard(state_lock_);
  win::UniqueHandle output_read, output_write, input_read, input_write, null_device;
  if (output_ && (!MakePipe(output_read, output_write) || !Inheritable(output_write)))
    return NotStarted(::GetLastError());
  if (input_ && (!MakePipe(input_read, input_write) || !Inheritable(input_read))) return NotStarted(::GetLastError());
  const bool piped = output_ || input_;
  if (piped) {
    // The streams hostkit does not take are the null device: no handle of the host's goes to the program.
    null_device = NullDevice();
    if (!null_device) return NotStarted(::GetLastError());
  }

  STARTUPINFOEXA startup{};
  startup.StartupInfo.cb = sizeof startup.StartupInfo;
  DWORD creation = CREATE_SUSPENDED;
  if ((flags_ & kHidden) != 0) {
    startup.StartupInfo.dwFlags |= STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    creation |= CREATE_NO_WINDOW;
  }
  const HANDLE in = input_ ? input_read.get() : null_device.get();
  const HANDLE out = output_ ? output_write.get() : null_device.get();
  // The program inherits its own pipe ends and nothing else (another program's pipe end held open by this one would
  // keep that pipe from ever reporting its end). Without a handle list it inherits every inheritable handle.
  std::vector<HANDLE> inherited;
  if (piped) inherited = in == out ? std::vector<HANDLE>{in} : std::vector<HANDLE>{in, out};
  const host::InheritOnly inherit_list(std::move(inherited));
  if (piped) {
    startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = in;
    startup.StartupInfo.hStdOutput = out;
    startup.StartupInfo.hStdError = out;
    if (inherit_list.get() != nullptr) {
      startup.StartupInfo.cb = sizeof startup;
      startup.lpAttributeList = inherit_list.get();
      creation |= EXTENDED_STARTUPINFO_PRESENT;
    }
  }

  std::vector<char> writable(command_line.begin(), command_line.end());
  writable.push_back('\0');
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(nullptr, writable.data(), nullptr, nullptr, piped ? TRUE : FALSE, creation, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &started))
    return NotStarted(::GetLastError());
  process_.reset(started.hProcess);
  const win::UniqueHandle thread(started.hThread);
  // Assigned while it is suspended, so whatever it starts belongs to the job too. Where the system refuses a job
  // (a host in a job that forbids one), the program runs without: EndProgram then ends the program alone.
  job_ = MakeJob((flags_ & kEndWithHost) != 0);
  if (job_ && !::AssignProcessToJobObject(job_.get(), process_.get())) job_.reset();
  ::ResumeThread(thread.get());

  // Our copies of the program's ends close here, so that the pipes end with the program.
  output_write.reset();
  input_read.reset();
  null_device.reset();
  if (output_ && !StartDrain(std::move(output_read))) output_->Close();  // its writes fail: the pipe has no reader
  if (input_ && !StartWriter(std::move(input_write))) input_->Break();
}

Status Program::Refresh() {
  const Status now = status_.load();
  if (now != Status::Running) return now;
  const std::lock_guard guard(state_lock_);
  if (!process_ended_) {
    if (!process_ || ::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return Status::Running;
    process_ended_ = true;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    exit_code_.store(code);
    FILETIME created{}, exited{}, kernel{}, user{};
    end_stamp_.store(::GetProcessTimes(process_.get(), &created, &exited, &kernel, &user) ? Stamp(exited) : Now());
    if (input_) input_->Break();
  }
  if (output_ && !output_->Closed()) return Status::Running;
  status_.store(Status::Ended);
  return Status::Ended;
}

unsigned Program::ExitCode() {
  if (Refresh() == Status::Running) return 0;
  const std::lock_guard guard(state_lock_);
  exit_read_ = true;
  return exit_code_.load();
}

std::size_t Program::WholeBytes(std::string_view bytes) const {
  if ((flags_ & kUtf8Output) != 0) return WholeUtf8(bytes);
  if ((flags_ & kOemOutput) != 0) {
    const UINT page = ::GetOEMCP();
    return WholeDoubleByte(bytes, [page](unsigned char byte) { return ::IsDBCSLeadByteEx(page, byte) != 0; });
  }
  return bytes.size();
}

// Through UTF-16 into the ANSI code page. A character the ANSI code page lacks becomes its default character ("?"),
// never a look-alike (no best fit); bytes that are no character of the source code page become "?" as well.
std::string Program::Converted(std::string bytes) const {
  const UINT from = (flags_ & kUtf8Output) != 0 ? CP_UTF8 : (flags_ & kOemOutput) != 0 ? ::GetOEMCP() : CP_ACP;
  if (from == ::GetACP() || bytes.empty()) return bytes;
  const int wide_size = ::MultiByteToWideChar(from, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (wide_size <= 0) return bytes;
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  ::MultiByteToWideChar(from, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wide_size);
  const DWORD no_look_alikes = WC_NO_BEST_FIT_CHARS;
  const int size = ::WideCharToMultiByte(CP_ACP, no_look_alikes, wide.data(), wide_size, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return bytes;
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, no_look_alikes, wide.data(), wide_size, text.data(), size, nullptr, nullptr);
  return text;
}

std::string Program::ReadOutput() {
  if (!output_) return {};
  const std::lock_guard guard(state_lock_);
  std::string text = std::exchange(unread_text_, std::string());
  const bool utf8 = (flags_ & kUtf8Output) != 0;
  const bool oem = (flags_ & kOemOutput) != 0;
  std::string bytes = output_->Take([this](std::string_view b) { return WholeBytes(b); });
  // A zero byte of the program's output is dropped: the script's text is a C string.
  bytes = WithoutZeros(std::move(bytes));
  text += utf8 || oem ? Converted(std::move(bytes)) : std::move(bytes);
  return text;
}

void Program::KeepUnread(std::string text) {
  const std::lock_guard guard(state_lock_);
  unread_text_ = std::move(text) + unread_text_;
}

int Program::WriteInput(std::string_view text) {
  if (!input_) return ERROR_INVALID_HANDLE;
  Refresh();  // the queue of a program seen to have ended is broken now
  return input_->Push(text);
}

void Program::CloseInput() {
  if (input_) input_->Close();
}

void Program::End() {
  if (Refresh() != Status::Running) return;
  const std::lock_guard guard(state_lock_);
  if (!process_) return;
  if (!process_ended_) {
    process_ended_ = true;
    exit_code_.store(kEndedExitCode);
    end_stamp_.store(Now());
  }
  // The whole tree through its job; the program alone where it has none. A program whose own process has ended
  // may have left programs it started running in the job: they end too.
  if (!job_ || !::TerminateJobObject(job_.get(), kEndedExitCode)) ::TerminateProcess(process_.get(), kEndedExitCode);
  if (input_) input_->Break();
  status_.store(Status::EndedByCall);
}

bool Program::ReadWhole() {
  if (Refresh() == Status::Running) return false;
  const std::lock_guard guard(state_lock_);
  return exit_read_ && unread_text_.empty() && (!output_ || output_->Drained());
}

}  // namespace hostkit::programs
