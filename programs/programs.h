#pragma once
// Programs that run beside the game, as requests the script polls by id each frame, and the environment they
// inherit.
#include <string>

namespace hostkit::programs {

int RunProgram(const char* command_line, const char* folder, int flags);
int ProgramStatus(int id);
int ProgramExitCode(int id);
// The output since the last read. Then HandedOver says whether the host took it: a text it refused comes first at
// the next read; once taken, a request whose exit code has been read and whose output is all handed over is
// forgotten.
std::string ReadProgramOutput(int id);
void HandedOver(int id, bool taken, std::string text);
int WriteProgramInput(int id, const char* text);
void CloseProgramInput(int id);
void EndProgram(int id);

std::string EnvironmentValue(const char* name);
int SetEnvironmentValue(const char* name, const char* value);

}  // namespace hostkit::programs
