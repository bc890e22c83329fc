#pragma once
// The command line as scripts read it: arguments separated by "|" instead of spaces.
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

}  // namespace hostkit::window
