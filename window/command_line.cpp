#include "window/command_line.h"

namespace hostkit::window {

void BarSeparateArguments(char* text) noexcept {
  if (text == nullptr) return;
  bool quoted = false;
  for (char* at = text; *at != '\0'; ++at) {
    if (*at == '"')
      quoted = !quoted;
    else if (*at == ' ' && !quoted)
      *at = '|';
  }
}

std::string InterpreterCommandLine(std::string_view program, std::string_view command) {
  const bool needs_quotes = program.find_first_of(" \t") != std::string_view::npos && !program.starts_with('"');
  std::string line;
  line.reserve(program.size() + command.size() + 8);
  if (needs_quotes) line += '"';
  line += program;
  if (needs_quotes) line += '"';
  line += " /c ";
  line += command;
  return line;
}

std::string ComspecProgram(std::string_view comspec) {
  if (!comspec.starts_with('"')) return std::string(comspec);
  const std::string_view inside = comspec.substr(1);
  return std::string(inside.substr(0, inside.find('"')));
}

bool FallsBackToCmd(std::uint32_t start_error) noexcept {
  constexpr std::uint32_t kFileNotFound = 2, kPathNotFound = 3, kAccessDenied = 5;  // ERROR_* codes
  return start_error == kFileNotFound || start_error == kPathNotFound || start_error == kAccessDenied;
}

}  // namespace hostkit::window
