#pragma once
// The process command line and message boxes.
#include <string>

namespace hostkit::window {

// The process command line with the spaces between arguments turned into "|".
std::string CommandLine();

// A message box without an owner; the chosen button's identifier, 0 when the box cannot be shown.
int Request(const char* text, const char* caption, int flags) noexcept;

}  // namespace hostkit::window
