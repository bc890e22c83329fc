#pragma once
// A console for the process: creation with standard output bound to it, text output and command runs.
// The recorded console window (host/host_window.h) is the flag that a console exists.

namespace hostkit::window {

// While no console is recorded: creates one, reopens standard output on it and records its window.
void OpenConsole() noexcept;

// Writes the text as data, with no added line end, and flushes it. Nothing without a console or with null.
void ConsoleWrite(const char* text) noexcept;

// Runs the command line through the command interpreter in the console and waits for it to end.
// Nothing without a console or with null; returns at once when no interpreter can be started.
void ConsoleCommand(const char* command) noexcept;

}  // namespace hostkit::window
