// The regex commands through hostkit.dll under Wine (boundary and result buffers included) against a bare
// std::regex loop built by the same compiler.
#include <windows.h>

#include <cstdint>
#include <string>

#include "bench/regex_bench.h"
#include "bench/regex_skip_bench.h"
#include "bench/wine/engine_side.h"
#include "tools/hostrun/host_double.h"

namespace {

using bench::Export;

using Search = char* (*)(const char*, const char*);
using Replace = char* (*)(const char*, const char*, const char*);

// The engine's side of a call: it passes its own strings as they are (the host double's script calls copy every
// argument, which under Wine costs about 0.5 ms per MB and is no part of the command), reads the result and
// frees it with its delete-string function.
std::string Take(char* result) {
  std::string text = result != nullptr ? result : "";
  bench::Release(result);
  return text;
}

}  // namespace

int main() {
  hostrun::Options options;
  options.window = false;
  hostrun::HostDouble host(options);
  const auto search = Export<Search>(host.module(), "?RegExSearch@@YAPADPBD0@Z");
  const auto positions = Export<Search>(host.module(), "?RegExSearchPosition@@YAPADPBD0@Z");
  const auto replace = Export<Replace>(host.module(), "?RegExReplace@@YAPADPBD00@Z");
  if (search == nullptr || positions == nullptr || replace == nullptr) return 1;
  const bench::Commands commands{
      [&](const std::string& t, const char* p) { return Take(search(t.c_str(), p)); },
      [&](const std::string& t, const char* p) { return Take(positions(t.c_str(), p)); },
      [&](const std::string& t, const char* p, const char* r) { return Take(replace(t.c_str(), p, r)); }};
  bench::Run("Wine, through the DLL", commands);
  bench::RunSelective("Wine, through the DLL", commands, nullptr);
}
