// The regex commands natively (portable module, no DLL) against a bare std::regex loop.
#include "bench/regex_bench.h"
#include "regex/commands.h"

int main() {
  using namespace hostkit::regex;
  bench::Run("native",
             {[](const std::string& t, const char* p) { return Search(t, p); },
              [](const std::string& t, const char* p) { return SearchPositions(t, p); },
              [](const std::string& t, const char* p, const char* r) { return Replace(t, p, r); }});
}
