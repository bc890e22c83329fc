// The regex commands through hostkit.dll under Wine (boundary and result buffers included) against a bare
// std::regex loop built by the same compiler.
#include "bench/regex_bench.h"
#include "bench/regex_skip_bench.h"
#include "tools/hostrun/host_double.h"

int main() {
  hostrun::Options options;
  options.window = false;
  hostrun::HostDouble host(options);
  auto str = [&](auto... args) { return host.Str(args...).value_or(""); };
  const bench::Commands commands{
      [&](const std::string& t, const char* p) { return str("RegExSearch", t, p); },
      [&](const std::string& t, const char* p) { return str("RegExSearchPosition", t, p); },
      [&](const std::string& t, const char* p, const char* r) { return str("RegExReplace", t, p, r); }};
  bench::Run("Wine, through the DLL", commands);
  bench::RunSelective("Wine, through the DLL", commands, nullptr);
}
