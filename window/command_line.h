#pragma once
// The command line as scripts read it: arguments separated by "|" instead of spaces.
#include <cstdint>
#include <string>
#include <string_view>

namespace hostkit::window {

// Replaces, in place, every space outside double quotes with "|". A double quote toggles the quoted state and
// stays; a backslash gives no meaning to a following quote; tabs and every other byte stay. Stops at the
// terminator; a null text is left alone.
void BarSeparateArguments(char* text) noexcept;

// The interpreter's command line: the program (quoted when it holds a space or tab and is not quoted yet),
// then "/c" and the script's command line, unchanged.
std::string InterpreterCommandLine(std::string_view program, std::string_view command);

// The program that a COMSPEC value names: the value without the double quotes around it, as some installers
// write it (the platform refuses a quoted program name with ERROR_INVALID_NAME). A value that starts with a
// quote ends at the next one (or at its end when none follows); any other value is the name as it stands.
std::string ComspecProgram(std::string_view comspec);

// Whether cmd.exe on the path is tried after the interpreter named by COMSPEC answered `start_error` (the
// platform's error code of its start, 0 when it ran): only for a program that is missing (file or path not
// found) or whose access is denied.
bool FallsBackToCmd(std::uint32_t start_error) noexcept;

}  // namespace hostkit::window
