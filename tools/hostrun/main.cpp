// hostrun: runs hostkit commands from a script, standard input or one line, as the engine would call them.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "tools/hostrun/host_double.h"
#include "tools/hostrun/script.h"

using namespace hostrun;

namespace {

constexpr const char* kUsage =
    "usage: hostrun [options] (SCRIPT | - | -c LINE)\n"
    "  --dll PATH            load this DLL (default: hostkit.dll next to hostrun.exe)\n"
    "  --window-class NAME   class of the host window (default OPENGLWINDOW)\n"
    "  --no-window           create no host window\n"
    "  --echo                print each call before its result\n"
    "  --json                one JSON object a call: {\"line\":N,\"call\":\"Name\",\"result\":R}\n"
    "  --stats               end with the create-string account (and the frame count, after Frames lines)\n"
    "  --null-create         the create-string function answers null\n"
    "  --no-create           the lookup answers null for CREATESTRING_S_L\n"
    "  --no-link             never call ReceiveQVRPtr\n"
    "A script line `Frames N` is the host's own: it runs N frames of its loop (about 16 ms each, messages\n"
    "handled), as a game does between a dialog's start and its answer.\n";

// The host's frame loop: one frame handles the window messages waiting and then lets a frame's time pass.
constexpr DWORD kFrameMs = 16;
long g_frames = 0;

void RunFrames(std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    HostDouble::Pump();
    ::Sleep(kFrameMs);
    ++g_frames;
  }
  HostDouble::Pump();
}

struct Settings {
  Options host;
  bool echo = false;
  bool json = false;
  bool stats = false;
  std::string script;  // file name, "-" for standard input
  std::string line;    // with -c
  bool one_line = false;
};

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "hostrun: %s\n%s", problem.c_str(), kUsage);
  std::exit(2);
}

Settings ParseArguments(int argc, char** argv) {
  Settings s;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(a + " needs a value");
      return argv[++i];
    };
    if (a == "--dll")
      s.host.dll = value();
    else if (a == "--window-class")
      s.host.window_class = value();
    else if (a == "--no-window")
      s.host.window = false;
    else if (a == "--echo")
      s.echo = true;
    else if (a == "--json")
      s.json = true;
    else if (a == "--stats")
      s.stats = true;
    else if (a == "--null-create")
      s.host.null_create = true;
    else if (a == "--no-create")
      s.host.no_create = true;
    else if (a == "--no-link")
      s.host.link = false;
    else if (a == "-c") {
      s.line = value();
      s.one_line = true;
    } else if (a == "-h" || a == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (a == "-" || a[0] != '-')
      s.script = a;
    else
      Usage("unknown option " + a);
  }
  if (!s.one_line && s.script.empty()) Usage("nothing to run");
  return s;
}

std::string Plain(const Result& result) {
  if (result.kind == Kind::Int) return std::to_string(result.number);
  return result.text ? *result.text : "null";
}

// Runs one script line; returns false after printing a script error.
bool RunLine(HostDouble& host, const Settings& s, const std::string& text, int number) {
  std::optional<ScriptLine> line;
  try {
    line = ParseScriptLine(text);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "line %d: %s\n", number, e.what());
    return false;
  }
  if (!line) return true;
  if (line->name == "Frames" && line->args.size() == 1 && line->args[0].kind == Kind::Int) {
    RunFrames(line->args[0].number);
    if (s.echo) std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    return true;
  }
  const Command* command = host.Find(line->name, line->args);
  if (command == nullptr) {
    bool known = false;
    for (const Command& c : host.commands()) known = known || c.name == line->name;
    std::fprintf(stderr, "line %d: %s %s\n", number, known ? "wrong arguments for" : "unknown command",
                 line->name.c_str());
    return false;
  }
  HostDouble::Pump();
  const Result result = host.Call(*command, line->args);
  HostDouble::Pump();
  if (s.json) {
    std::printf("{\"line\":%d,\"call\":%s,\"result\":%s}\n", number, JsonString(line->name).c_str(),
                ToJson(result).c_str());
  } else if (s.echo) {
    std::printf("%s\n", text.c_str());
    if (result.kind != Kind::Void) std::printf("  = %s\n", Plain(result).c_str());
  } else if (result.kind != Kind::Void) {
    std::printf("%s\n", Plain(result).c_str());
  }
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const Settings s = ParseArguments(argc, argv);
  try {
    HostDouble host(s.host);
    bool ok = true;
    if (s.one_line) {
      ok = RunLine(host, s, s.line, 1);
    } else {
      std::ifstream file;
      if (s.script != "-") {
        file.open(s.script, std::ios::binary);
        if (!file) Usage("cannot open " + s.script);
      }
      std::istream& in = s.script == "-" ? std::cin : file;
      std::string text;
      for (int number = 1; ok && std::getline(in, text); ++number) ok = RunLine(host, s, text, number);
    }
    if (s.stats) {
      const StringAccount& a = HostDouble::Account();
      if (s.json)
        std::printf("{\"stats\":{\"requests\":%ld,\"bytes\":%lld,\"largest\":%ld,\"live\":%ld}}\n", a.requests, a.bytes,
                    a.largest, a.live);
      else
        std::printf("create-string: requests %ld, bytes %lld, largest %ld, live %ld\n", a.requests, a.bytes, a.largest,
                    a.live);
      if (g_frames > 0) std::printf("frames: %ld\n", g_frames);
    }
    return ok ? 0 : 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hostrun: %s\n", e.what());
    return 3;
  }
}
