#pragma once
// The host double: plays the engine's part for hostkit.dll in one process. It owns a top-level window of the
// engine's class, loads the DLL, links it through ReceiveQVRPtr with its own create-string function, and calls
// commands by name, resolving each to its decorated export from the argument kinds.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace hostrun {

enum class Kind { Int, String, Void };

// One argument as the script gives it: an int, a string, or a null string pointer.
struct Arg {
  Kind kind = Kind::Int;
  std::int32_t number = 0;
  std::optional<std::string> text;  // nullopt with Kind::String is a null pointer

  static Arg Int(std::int32_t n) { return {Kind::Int, n, std::nullopt}; }
  static Arg Str(std::string s) { return {Kind::String, 0, std::move(s)}; }
  static Arg Null() { return {Kind::String, 0, std::nullopt}; }
};

// An exported command as its decorated name describes it.
struct Command {
  std::string name;       // plain name, e.g. "RegExReplace"
  std::string decorated;  // e.g. "?RegExReplace@@YAPADPBD00@Z"
  Kind result = Kind::Void;
  std::vector<Kind> params;
  FARPROC address = nullptr;
};

// Parses "?Name@@YA<result><params>@Z" or "?Name@@YA<result>XZ"; nullopt for any other name.
std::optional<Command> ParseDecoratedName(std::string_view decorated);

// What a call gave back. A string result is copied and its host buffer freed at once.
struct Result {
  Kind kind = Kind::Void;
  std::int32_t number = 0;
  std::optional<std::string> text;  // nullopt with Kind::String: the DLL answered null
};

// The host's account of create-string requests.
struct StringAccount {
  long requests = 0;
  long long bytes = 0;
  long largest = 0;
  long live = 0;                    // created and not yet freed
  std::vector<std::int32_t> sizes;  // every request's size, in order
};

struct Options {
  bool window = true;
  std::string window_class = "OPENGLWINDOW";
  std::string dll;                // empty: hostkit.dll next to the running program
  bool link = true;               // false: ReceiveQVRPtr is never called
  bool null_create = false;       // the create-string function answers null
  bool no_create = false;         // the lookup answers null for "CREATESTRING_S_L"
  WNDPROC window_proc = nullptr;  // the host window's own procedure (default: DefWindowProcA)
};

class HostDouble {
 public:
  explicit HostDouble(const Options& options);  // throws std::runtime_error when the DLL cannot be loaded
  ~HostDouble();
  HostDouble(const HostDouble&) = delete;
  HostDouble& operator=(const HostDouble&) = delete;

  HWND window() const { return window_; }
  HMODULE module() const { return module_; }
  const std::vector<Command>& commands() const { return commands_; }

  // The command whose name and parameter kinds fit the arguments (an int fits an int parameter, a string or
  // null fits a string parameter), or null.
  const Command* Find(std::string_view name, const std::vector<Arg>& args) const;
  Result Call(const Command& command, const std::vector<Arg>& args);

  // Convenience for tests: call by name with plain C++ values.
  template <class... A>
  Result Run(std::string_view name, const A&... a) {
    std::vector<Arg> args{ToArg(a)...};
    const Command* command = Find(name, args);
    if (command == nullptr) throw std::invalid_argument("no such command: " + std::string(name));
    return Call(*command, args);
  }
  template <class... A>
  std::int32_t Int(std::string_view name, const A&... a) {
    return Run(name, a...).number;
  }
  template <class... A>
  std::optional<std::string> Str(std::string_view name, const A&... a) {
    return Run(name, a...).text;
  }

  // Handles the window messages waiting for this thread.
  static void Pump();

  // The lookup's answers, the create-string account and a few switches, shared by the whole process because the
  // host functions are plain function pointers without context.
  static StringAccount& Account();
  // From now on the create-string function answers null (as Options::null_create), or no longer.
  static void RefuseStrings(bool on);
  // Runs `hook` once, inside the next call of the create-string function, before it makes the buffer: what a host
  // does between a command's start and its answer (its other threads, or the script calling in again).
  static void BeforeNextString(std::function<void()> hook);
  static std::vector<std::string>& Lookups();
  static std::intptr_t DeleteStringAddress();
  std::intptr_t link_answer() const { return link_answer_; }

 private:
  static Arg ToArg(int n) { return Arg::Int(n); }
  static Arg ToArg(long n) { return Arg::Int(static_cast<std::int32_t>(n)); }
  static Arg ToArg(unsigned n) { return Arg::Int(static_cast<std::int32_t>(n)); }
  static Arg ToArg(const char* s) { return s ? Arg::Str(s) : Arg::Null(); }
  static Arg ToArg(const std::string& s) { return Arg::Str(s); }
  static Arg ToArg(std::nullptr_t) { return Arg::Null(); }

  HWND window_ = nullptr;
  HMODULE module_ = nullptr;
  std::vector<Command> commands_;
  std::intptr_t link_answer_ = 0;
};

// Directory of the running program, with a trailing backslash.
std::string ProgramDirectory();

}  // namespace hostrun
