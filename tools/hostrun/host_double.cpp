#include "tools/hostrun/host_double.h"

#include <cstring>
#include <functional>
#include <map>
#include <new>

#include "tools/hostrun/pe_image.h"

namespace hostrun {
namespace {

struct Switches {
  bool null_create = false;
  bool no_create = false;
  std::function<void()> before_create;  // run once, by the next create-string call
};
Switches g_switches;
std::map<std::intptr_t, std::int32_t> g_live;  // host buffers handed out and not yet freed, with their sizes

// The engine's create-string function: a fresh buffer of the size asked for, terminator included.
std::intptr_t CreateString(std::int32_t size) {
  if (g_switches.before_create) {
    const std::function<void()> hook = std::move(g_switches.before_create);
    g_switches.before_create = nullptr;
    hook();
  }
  StringAccount& account = HostDouble::Account();
  ++account.requests;
  account.sizes.push_back(size);
  if (g_switches.null_create || size <= 0) return 0;
  account.bytes += size;
  if (size > account.largest) account.largest = size;
  char* buffer = new (std::nothrow) char[static_cast<std::size_t>(size)];
  if (buffer == nullptr) return 0;
  // A sentinel in every byte shows a result that lacks its terminator.
  std::memset(buffer, 0xCD, static_cast<std::size_t>(size));
  ++account.live;
  g_live[reinterpret_cast<std::intptr_t>(buffer)] = size;
  return reinterpret_cast<std::intptr_t>(buffer);
}

std::intptr_t DeleteString(std::intptr_t buffer) {
  auto it = g_live.find(buffer);
  if (it == g_live.end()) return 0;
  g_live.erase(it);
  --HostDouble::Account().live;
  delete[] reinterpret_cast<char*>(buffer);
  return 0;
}

std::intptr_t Lookup(const char* name) {
  HostDouble::Lookups().emplace_back(name != nullptr ? name : "(null)");
  if (name == nullptr) return 0;
  if (std::strcmp(name, "CREATESTRING_S_L") == 0)
    return g_switches.no_create ? 0 : reinterpret_cast<std::intptr_t>(&CreateString);
  if (std::strcmp(name, "DELETESTRING_0_S") == 0) return reinterpret_cast<std::intptr_t>(&DeleteString);
  return 0;
}

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND CreateHostWindow(const std::string& class_name, WNDPROC proc) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA cls{};
  cls.lpfnWndProc = proc != nullptr ? proc : &HostWindowProc;
  cls.hInstance = instance;
  cls.lpszClassName = class_name.c_str();
  cls.hCursor = LoadCursor(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&cls);  // a second host double in the same process reuses the class
  HWND window = CreateWindowExA(0, class_name.c_str(), "hostrun", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 640, 480,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr) throw std::runtime_error("cannot create the host window");
  return window;
}

// Every command export of the module, from its export directory.
std::vector<Command> ReadCommands(HMODULE module) {
  std::vector<Command> commands;
  for (const std::string& name : ExportNames(module)) {
    if (auto command = ParseDecoratedName(name)) {
      command->address = GetProcAddress(module, name.c_str());
      commands.push_back(std::move(*command));
    }
  }
  return commands;
}

// Reads one type code of a decorated name: H and J are ints, PBD (or the back-reference 0) a string
// argument, PAD a string result, X nothing.
std::optional<Kind> TakeType(std::string_view& code, bool result) {
  if (code.starts_with("H") || code.starts_with("J")) {
    code.remove_prefix(1);
    return Kind::Int;
  }
  if (result && code.starts_with("PAD")) {
    code.remove_prefix(3);
    return Kind::String;
  }
  if (!result && code.starts_with("PBD")) {
    code.remove_prefix(3);
    return Kind::String;
  }
  if (!result && code.starts_with("0")) {
    code.remove_prefix(1);
    return Kind::String;
  }
  if (result && code.starts_with("X")) {
    code.remove_prefix(1);
    return Kind::Void;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Command> ParseDecoratedName(std::string_view decorated) {
  if (!decorated.starts_with("?")) return std::nullopt;
  const auto at = decorated.find("@@YA");
  if (at == std::string_view::npos) return std::nullopt;
  Command command;
  command.name = std::string(decorated.substr(1, at - 1));
  command.decorated = std::string(decorated);
  std::string_view code = decorated.substr(at + 4);
  const auto result = TakeType(code, true);
  if (!result) return std::nullopt;
  command.result = *result;
  if (code == "XZ") return command;
  while (!code.empty() && code != "@Z") {
    const auto param = TakeType(code, false);
    if (!param) return std::nullopt;
    command.params.push_back(*param);
  }
  if (code != "@Z" || command.params.empty()) return std::nullopt;
  return command;
}

HostDouble::HostDouble(const Options& options) {
  g_switches.null_create = options.null_create;
  g_switches.no_create = options.no_create;
  // The window exists before the DLL loads, so the DLL's load-time search can find it.
  if (options.window) window_ = CreateHostWindow(options.window_class, options.window_proc);
  Pump();
  const std::string path = options.dll.empty() ? ProgramDirectory() + "hostkit.dll" : options.dll;
  module_ = LoadLibraryA(path.c_str());
  if (module_ == nullptr) throw std::runtime_error("cannot load " + path);
  commands_ = ReadCommands(module_);
  if (options.link) {
    using ReceiveFn = std::intptr_t (*)(std::intptr_t(*)(const char*));
    const auto receive =
        reinterpret_cast<ReceiveFn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, "ReceiveQVRPtr")));
    if (receive == nullptr) throw std::runtime_error("the DLL exports no ReceiveQVRPtr");
    link_answer_ = receive(&Lookup);
  }
}

HostDouble::~HostDouble() {
  // The DLL stays loaded: its capture procedure may still sit on the window for the life of the process.
  if (window_ != nullptr) DestroyWindow(window_);
}

const Command* HostDouble::Find(std::string_view name, const std::vector<Arg>& args) const {
  for (const Command& command : commands_) {
    if (command.name != name || command.params.size() != args.size()) continue;
    bool fits = true;
    for (std::size_t i = 0; i < args.size(); ++i) fits = fits && command.params[i] == args[i].kind;
    if (fits) return &command;
  }
  return nullptr;
}

Result HostDouble::Call(const Command& command, const std::vector<Arg>& args) {
  if (args.size() > 6) throw std::invalid_argument("too many arguments");
  std::intptr_t raw[6] = {};
  for (std::size_t i = 0; i < args.size(); ++i) {
    raw[i] = args[i].kind == Kind::Int ? args[i].number
             : args[i].text            ? reinterpret_cast<std::intptr_t>(args[i].text->c_str())
                                       : 0;
  }
  // cdecl: the caller removes the arguments, so passing unused trailing ones is harmless.
  using Fn =
      std::intptr_t (*)(std::intptr_t, std::intptr_t, std::intptr_t, std::intptr_t, std::intptr_t, std::intptr_t);
  const auto fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(command.address));
  const std::intptr_t answer = fn(raw[0], raw[1], raw[2], raw[3], raw[4], raw[5]);

  Result result;
  result.kind = command.result;
  if (command.result == Kind::Int) result.number = static_cast<std::int32_t>(answer);
  if (command.result == Kind::String && answer != 0) {
    const auto it = g_live.find(answer);
    if (it == g_live.end()) throw std::runtime_error(command.name + " returned memory the host did not create");
    const char* text = reinterpret_cast<const char*>(answer);
    const std::size_t length = strnlen(text, static_cast<std::size_t>(it->second));
    if (length == static_cast<std::size_t>(it->second))
      throw std::runtime_error(command.name + " returned a string without its terminator");
    result.text = std::string(text, length);
    DeleteString(answer);
  }
  return result;
}

void HostDouble::Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void HostDouble::RefuseStrings(bool on) { g_switches.null_create = on; }
void HostDouble::BeforeNextString(std::function<void()> hook) { g_switches.before_create = std::move(hook); }

StringAccount& HostDouble::Account() {
  static StringAccount account;
  return account;
}

std::vector<std::string>& HostDouble::Lookups() {
  static std::vector<std::string> names;
  return names;
}

std::intptr_t HostDouble::DeleteStringAddress() { return reinterpret_cast<std::intptr_t>(&DeleteString); }

std::string ProgramDirectory() {
  char path[MAX_PATH] = {};
  // The count excludes the terminator; a cut path fills the buffer exactly.
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, length);
  const auto slash = dir.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : dir.substr(0, slash + 1);
}

}  // namespace hostrun
