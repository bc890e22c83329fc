// String commands as the host double reports them: missing or refusing create-string functions, and JSON output.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/harness/process.h"

namespace {

TEST(RegexHostrun, StringCommandsWithoutAUsableCreateStringAnswerNull) {
  const std::string line = R"(--no-window -c "RegExSearch \"a1\" \"[0-9]\"")";
  // The host refuses every buffer: the sized request, then one for the empty string.
  const auto refused = e2e::RunHostrun("--stats --null-create " + line);
  EXPECT_EQ(refused.exit_code, 0u) << refused.err;
  EXPECT_EQ(refused.out, "null\ncreate-string: requests 2, bytes 0, largest 0, live 0\n");
  // No create-string function at all, or never linked: null without a single request.
  for (const char* option : {"--no-create", "--no-link"}) {
    const auto run = e2e::RunHostrun(std::string("--stats ") + option + " " + line);
    EXPECT_EQ(run.out, "null\ncreate-string: requests 0, bytes 0, largest 0, live 0\n") << option;
  }
  const auto linked = e2e::RunHostrun("--stats " + line);
  EXPECT_EQ(linked.out, "[\"1\"]\ncreate-string: requests 1, bytes 6, largest 6, live 0\n");
}

TEST(RegexHostrun, JsonEscapesHighBytes) {
  const auto run = e2e::RunHostrun("--json --no-window -", "RegExSearch \"\\xE9t\\xE9\" \"t.\"\n");
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.out, R"({"line":1,"call":"RegExSearch","result":"[\"t\u00E9\"]"})"
                     "\n");
}

}  // namespace
