// The regex commands on short texts through hostkit.dll under Wine (boundary and result strings included) against
// the bare std::regex work built by the same compiler.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "bench/regex_short_bench.h"
#include "bench/wine/engine_side.h"
#include "tests/e2e/harness/process_memory.h"
#include "tools/hostrun/host_double.h"

namespace {

using bench::Export;

using Match = int (*)(const char*, const char*);
using Search = char* (*)(const char*, const char*);
using Replace = char* (*)(const char*, const char*, const char*);

// The engine's side of a call: it reads the result and frees it with its delete-string function.
std::size_t Take(char* result) {
  const std::size_t size = result != nullptr ? std::strlen(result) : 0;
  bench::Release(result);
  return size;
}

}  // namespace

int main() {
  hostrun::Options options;
  options.window = false;
  hostrun::HostDouble host(options);
  const auto match = Export<Match>(host.module(), "?RegExMatch@@YAHPBD0@Z");
  const auto search = Export<Search>(host.module(), "?RegExSearch@@YAPADPBD0@Z");
  const auto positions = Export<Search>(host.module(), "?RegExSearchPosition@@YAPADPBD0@Z");
  const auto replace = Export<Replace>(host.module(), "?RegExReplace@@YAPADPBD00@Z");
  if (match == nullptr || search == nullptr || positions == nullptr || replace == nullptr) return 1;
  const bench::ShortCommands commands{
      [&](const char* t, const char* p) { return match(t, p); },
      [&](const char* t, const char* p) { return Take(search(t, p)); },
      [&](const char* t, const char* p) { return Take(positions(t, p)); },
      [&](const char* t, const char* p, const char* r) { return Take(replace(t, p, r)); }, &e2e::CommittedPrivateBytes};
  bench::RunShort("Wine, through the DLL", commands);
}
