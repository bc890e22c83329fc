// The program requests: one table of the kind every request that outlives its call keeps.
#include "programs/programs.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "host/grow_buffer.h"
#include "programs/program.h"
#include "requests/request_table.h"

namespace hostkit::programs {
namespace {

requests::Table<Program>& Programs() {
  static requests::Table<Program> table({kMaxRunning, kMaxKept});
  return table;
}

// The script is done with a request once it has its exit code and all of its output: it is forgotten then.
void ForgetIfReadWhole(int id, Program& program) {
  if (program.ReadWhole()) Programs().Forget(id);
}

}  // namespace

int RunProgram(const char* command_line, const char* folder, int flags) {
  if (CheckStart(command_line, flags) != Refusal::Accepted) return 0;
  auto program = std::make_shared<Program>(flags);
  const int id = Programs().Add(program);
  if (id != 0) program->Start(command_line, folder);
  return id;
}

int ProgramStatus(int id) {
  const auto program = Programs().Find(id);
  return static_cast<int>(program ? program->Refresh() : Status::Unknown);
}

int ProgramExitCode(int id) {
  const auto program = Programs().Find(id);
  if (!program) return 0;
  const unsigned code = program->ExitCode();
  ForgetIfReadWhole(id, *program);
  return static_cast<int>(code);
}

std::string ReadProgramOutput(int id) {
  const auto program = Programs().Find(id);
  return program ? program->ReadOutput() : std::string();
}

void HandedOver(int id, bool taken, std::string text) {
  const auto program = Programs().Find(id);
  if (!program) return;
  if (!taken)
    program->KeepUnread(std::move(text));
  else
    ForgetIfReadWhole(id, *program);
}

int WriteProgramInput(int id, const char* text) {
  const auto program = Programs().Find(id);
  return program ? program->WriteInput(text) : ERROR_INVALID_PARAMETER;
}

void CloseProgramInput(int id) {
  if (const auto program = Programs().Find(id)) program->CloseInput();
}

void EndProgram(int id) {
  if (const auto program = Programs().Find(id)) program->End();
}

std::string EnvironmentValue(const char* name) {
  if (*name == '\0') return {};
  return ReadGrowing([&](char* buffer, std::uint32_t size) { return ::GetEnvironmentVariableA(name, buffer, size); })
      .value_or(std::string());
}

int SetEnvironmentValue(const char* name, const char* value) {
  if (*name == '\0') return ERROR_INVALID_PARAMETER;
  if (::SetEnvironmentVariableA(name, *value == '\0' ? nullptr : value)) return 0;
  const DWORD error = ::GetLastError();
  // Removing a variable that is not set leaves what was asked for.
  return error == ERROR_ENVVAR_NOT_FOUND && *value == '\0' ? 0 : static_cast<int>(error);
}

}  // namespace hostkit::programs
