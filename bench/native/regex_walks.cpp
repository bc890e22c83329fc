// The regex commands natively (portable module, no DLL) against a bare std::regex loop, and PCRE2 for information
// when the build found it.
#include "bench/regex_bench.h"
#include "bench/regex_skip_bench.h"
#include "regex/commands.h"

#ifdef HOSTKIT_BENCH_PCRE2
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>

namespace {

// PCRE2's own search walk (JIT when the library has it), multiline like the dialect; empty matches step one byte.
std::size_t Pcre2Positions(const std::string& text, const char* pattern) {
  int error = 0;
  PCRE2_SIZE error_at = 0;
  const std::unique_ptr<pcre2_code, decltype(&pcre2_code_free)> code(
      pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, PCRE2_MULTILINE, &error, &error_at,
                    nullptr),
      &pcre2_code_free);
  if (!code) return 0;
  pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE);
  const std::unique_ptr<pcre2_match_data, decltype(&pcre2_match_data_free)> data(
      pcre2_match_data_create_from_pattern(code.get(), nullptr), &pcre2_match_data_free);
  const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
  std::string list = "[";
  for (PCRE2_SIZE from = 0; from <= text.size();) {
    if (pcre2_match(code.get(), subject, text.size(), from, 0, data.get(), nullptr) < 0) break;
    const PCRE2_SIZE* at = pcre2_get_ovector_pointer(data.get());
    list += "{" + std::to_string(at[0]) + "," + std::to_string(at[1] - at[0]) + "},";
    from = at[1] != at[0] ? at[1] : at[1] + 1;
  }
  return list.size();
}

}  // namespace
#endif

int main() {
  using namespace hostkit::regex;
  const bench::Commands commands{[](const std::string& t, const char* p) { return Search(t, p); },
                                 [](const std::string& t, const char* p) { return SearchPositions(t, p); },
                                 [](const std::string& t, const char* p, const char* r) { return Replace(t, p, r); }};
  bench::Run("native", commands);
#ifdef HOSTKIT_BENCH_PCRE2
  bench::RunSelective("native", commands, Pcre2Positions);
#else
  std::printf("(PCRE2 not found at build time: its column is left out)\n");
  bench::RunSelective("native", commands, nullptr);
#endif
}
