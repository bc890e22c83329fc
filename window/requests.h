#pragma once
// The process command line and message boxes.

namespace hostkit::window {

// Result string of the process command line with the spaces between arguments turned into "|";
// null only when the host gives no buffer.
char* CommandLineResult();

// A message box without an owner; the chosen button's identifier, 0 when the box cannot be shown.
int Request(const char* text, const char* caption, int flags) noexcept;

}  // namespace hostkit::window
