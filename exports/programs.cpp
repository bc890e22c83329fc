// Exported commands of the programs that run beside the game: each forwards to programs/.
#include "programs/programs.h"

#include <string>

#include "exports/command.h"
#include "host/result.h"

using namespace hostkit;
using exports::Export;

extern "C" {

int hk_RunProgram(const char* command_line, const char* folder, int flags) {
  return Export<hk_RunProgram>([&] { return programs::RunProgram(Arg(command_line), Arg(folder), flags); });
}
int hk_GetProgramStatus(int id) {
  return Export<hk_GetProgramStatus>([&] { return programs::ProgramStatus(id); });
}
int hk_GetProgramExitCode(int id) {
  return Export<hk_GetProgramExitCode>([&] { return programs::ProgramExitCode(id); });
}
// Output is handed over once only: a text the host's buffer refused stays for the next read.
char* hk_ReadProgramOutput(int id) {
  return Export<hk_ReadProgramOutput>([&] {
    std::string text = programs::ReadProgramOutput(id);
    char* result = host::TextResult(text);
    const bool taken = result != nullptr && (text.empty() || result[0] != '\0');
    programs::HandedOver(id, taken, std::move(text));
    return result;
  });
}
int hk_WriteProgramInput(int id, const char* text) {
  return Export<hk_WriteProgramInput>([&] { return programs::WriteProgramInput(id, Arg(text)); });
}
void hk_CloseProgramInput(int id) {
  Export<hk_CloseProgramInput>([&] { programs::CloseProgramInput(id); });
}
void hk_EndProgram(int id) {
  Export<hk_EndProgram>([&] { programs::EndProgram(id); });
}
char* hk_GetEnvironmentValue(const char* name) {
  return Export<hk_GetEnvironmentValue>([&] { return programs::EnvironmentValue(Arg(name)); });
}
int hk_SetEnvironmentValue(const char* name, const char* value) {
  return Export<hk_SetEnvironmentValue>([&] { return programs::SetEnvironmentValue(Arg(name), Arg(value)); });
}

}  // extern "C"
