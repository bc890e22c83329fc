#pragma once
// What a script asks of a program it runs beside the game, and the bounds hostkit keeps: the portable rules of
// RunProgram and its companions.
#include <cstddef>
#include <string_view>

#include "requests/request_table.h"

namespace hostkit::programs {

enum Flag : int {
  kCapture = 1,      // standard output and standard error into one pipe that hostkit drains
  kHidden = 2,       // no console window for a console program; a windowed one starts hidden
  kInput = 4,        // standard input is a pipe that WriteProgramInput writes
  kEndWithHost = 8,  // its job ends it and every program it starts when the host process ends
  kOemOutput = 16,   // its output is in the OEM code page, read as ANSI
  kUtf8Output = 32,  // its output is UTF-8, read as ANSI
};

enum class Status : int { Running = 0, Ended = 1, EndedByCall = 2, NotStarted = 3, Unknown = -1 };

// Programs that have not ended, at most; the next start answers 0.
inline constexpr int kMaxRunning = 64;
// Ended requests never read, at most; past that the one that ended first is forgotten.
inline constexpr std::size_t kMaxKept = requests::kMaxKept;
// Unread output of one program: past this hostkit stops reading its pipe until the script reads.
inline constexpr std::size_t kMaxUnread = 16u << 20;
// Input queued for one program and not yet taken by its pipe.
inline constexpr std::size_t kMaxQueued = 16u << 20;
// CreateProcess takes a command line of up to 32,767 characters with its terminating zero.
inline constexpr std::size_t kMaxCommandLine = 32766;
// The exit code an EndProgram leaves.
inline constexpr unsigned kEndedExitCode = 1;

// Why a start is refused before the system is asked; Accepted when it may go on.
enum class Refusal { Accepted, EmptyCommandLine, CommandLineTooLong, TwoEncodings };
Refusal CheckStart(std::string_view command_line, int flags);

}  // namespace hostkit::programs
