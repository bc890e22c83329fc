#pragma once
// What keeps the host process whole around the library: the module stays mapped once the platform holds
// addresses inside it, and console break events do not end the host.
namespace hostkit::host {

// Keeps this module loaded for the life of the process, whatever FreeLibrary calls the host makes later.
// Called before anything pointing into the module (a window procedure, a window class, a console handler) is
// handed to the platform; the pin is taken once.
void PinModule() noexcept;

// Lets Ctrl+C and Ctrl+Break pass without ending the host once a console exists, through a handler: the
// process's own "ignore Ctrl+C" flag is left as the host set it. Installed once.
void SurviveConsoleBreaks() noexcept;

// Whether the process ignores Ctrl+C by its inheritable flag (SetConsoleCtrlHandler(nullptr, TRUE), or a
// process started in a new process group or by a parent that ignored it).
bool IgnoresCtrlC() noexcept;

// While one lives, a process that ignores Ctrl+C honours it, so that a program started meanwhile inherits a
// Ctrl+C that stops it; the flag is set again at its end. Meant around one process start, while the handler
// of SurviveConsoleBreaks keeps the host alive. Nothing changes where the flag is not set.
class CtrlCHonoured {
 public:
  CtrlCHonoured() noexcept;
  ~CtrlCHonoured();
  CtrlCHonoured(const CtrlCHonoured&) = delete;
  CtrlCHonoured& operator=(const CtrlCHonoured&) = delete;

 private:
  bool restore_;
};

}  // namespace hostkit::host
