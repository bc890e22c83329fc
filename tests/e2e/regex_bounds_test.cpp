// The regex bounds end to end: each case of tests/e2e/probe/regex_cases.h in a host process of its own
// (regex_probe.exe), timed and with its memory measured on the process, then GetRegExError and an ordinary call
// in the same process.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "tests/e2e/harness/process.h"
#include "tests/e2e/probe/regex_cases.h"

namespace {

// Starting a probe (Wine process, DLL, a 1 to 4 MB text built and copied) takes up to about 0.3 s on a busy
// machine; the bounds are checked on the command's own time, measured inside the probe, with this much room.
constexpr double kWineTimeTolerance = 0.25;

std::map<std::string, std::string> Probe(const std::string& arguments) {
  const auto run = e2e::RunProcess("\"" + e2e::BinDirectory() + "regex_probe.exe\" " + arguments, "", 30000);
  EXPECT_EQ(run.exit_code, 0u) << arguments << "\n" << run.err;
  std::map<std::string, std::string> figures;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    const auto space = line.find(' ');
    figures[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
  }
  return figures;
}

double Megabytes(std::size_t bytes) { return static_cast<double>(bytes) / (1 << 20); }

TEST(RegexBounds, RunawayCasesEndWithinTheirBoundsAndSayWhy) {
  const struct {
    const char* name;
    const char* error;
  } cases[] = {
      {"boundaries", "time bound exceeded"},
      {"boundaries-4mb", "time bound exceeded"},
      {"line-starts", "time bound exceeded"},
      {"line-ends", "time bound exceeded"},
      {"bracket-copies", "memory bound exceeded"},
      {"bracket-copies-5kb", "memory bound exceeded"},
      {"repeated-groups", "pattern rejected: pattern too large"},
      {"nested-repeats", "pattern rejected: pattern too large"},
      {"nested-lookaheads", "memory bound exceeded"},
  };
  for (const auto& c : cases) {
    const e2e::regex_cases::Case* found = nullptr;
    const auto all = e2e::regex_cases::All();
    for (const auto& k : all)
      if (c.name == std::string(k.name)) found = &k;
    ASSERT_NE(found, nullptr) << c.name;
    auto figures = Probe(c.name);
    const double time_bound = 1.0 + 0.25 * Megabytes(found->text.size());
    const double memory_bound =
        64.0 * (1 << 20) + 16.0 * static_cast<double>(found->text.size() + found->pattern.size());
    EXPECT_LT(std::stod(figures["seconds"]), time_bound + kWineTimeTolerance) << c.name;
    EXPECT_LT(std::stod(figures["rise"]), memory_bound) << c.name;
    EXPECT_EQ(figures["error"], c.error) << c.name;
    EXPECT_EQ(figures["after"], "[{1,1},{3,2}]") << c.name << ": the process works on";
    EXPECT_EQ(figures["after-error"], "") << c.name;
  }
}

// Cases that take the bare engine about 0.14 s under Wine (exponential backtracking over short texts that end in
// a match), and the replace that once gave "" where the text comes back unchanged (0.05 s): exactly the engine's
// answer.
TEST(RegexBounds, HeavyButFiniteCasesGiveTheBareEnginesAnswer) {
  for (const char* name : {"finite-replace", "finite-search", "finite-match"}) {
    auto guarded = Probe(name);
    auto bare = Probe(std::string("--bare ") + name);
    EXPECT_EQ(guarded["result"], bare["result"]) << name;
    EXPECT_EQ(guarded["error"], "") << name;
  }
}

}  // namespace
