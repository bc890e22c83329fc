// The regex commands on short texts natively (portable module, no DLL) against the bare std::regex work.
#include <fstream>
#include <string>

#include "bench/regex_short_bench.h"
#include "regex/commands.h"

namespace {

// The resident memory of the process in bytes (VmRSS).
long long ResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
  return 0;
}

}  // namespace

int main() {
  using namespace hostkit::regex;
  const bench::ShortCommands commands{
      [](const char* t, const char* p) { return Match(t, p); },
      [](const char* t, const char* p) { return Search(t, p).size(); },
      [](const char* t, const char* p) { return SearchPositions(t, p).size(); },
      [](const char* t, const char* p, const char* r) { return Replace(t, p, r).size(); }, &ResidentBytes};
  bench::RunShort("native", commands);
}
