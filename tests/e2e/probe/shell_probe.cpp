// The program that the Wine tests register as the open command of a file type of their own: it writes the command
// line it was started with to "<its first argument>.seen" (through a temporary name, so that the file appears
// whole) and ends. A GUI program, so that starting it makes no console.
#include <windows.h>

#include <string>

#include "host/win_handle.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string seen = std::string(argv[1]) + ".seen";
  const std::string partial = seen + ".partial";
  {
    hostkit::win::UniqueFile file(
        CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 3;
    const char* line = GetCommandLineA();
    DWORD written = 0;
    if (!WriteFile(file.get(), line, lstrlenA(line), &written, nullptr)) return 4;
  }
  return MoveFileExA(partial.c_str(), seen.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
