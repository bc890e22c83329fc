#include "programs/program_rules.h"

namespace hostkit::programs {

Refusal CheckStart(std::string_view command_line, int flags) {
  if (command_line.find_first_not_of(" \t") == std::string_view::npos) return Refusal::EmptyCommandLine;
  if (command_line.size() > kMaxCommandLine) return Refusal::CommandLineTooLong;
  if ((flags & kOemOutput) != 0 && (flags & kUtf8Output) != 0) return Refusal::TwoEncodings;
  return Refusal::Accepted;
}

}  // namespace hostkit::programs
