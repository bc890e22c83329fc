#include <gtest/gtest.h>

#include "window/shell_codes.h"

namespace {

using hostkit::window::ShellExecuteCode;

// The SE_ERR_ values are small numbers that read as other Win32 codes (31, SE_ERR_NOASSOC, is ERROR_GEN_FAILURE),
// and the last error for a type without a program differs by release.
TEST(ShellCodes, TheShellsAnswerDecidesWhereTheLastErrorCannotAndTheLastErrorIsKeptElsewhere) {
  const struct {
    long inst_app;
    unsigned last_error;
    int code;
  } cases[] = {
      {31, 193, 1155}, {31, 6, 1155},   {31, 0, 1155}, {27, 2, 1155},   {26, 5, 32}, {28, 0, 1156}, {29, 0, 1156},
      {30, 0, 1156},   {32, 0, 1157},   {2, 3, 3},     {2, 0, 2},       {3, 0, 3},   {5, 0, 5},     {8, 0, 8},
      {11, 0, 193},    {5, 1326, 1326}, {0, 0, 31},    {0, 1155, 1155}, {42, 0, 31}, {33, 87, 87},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ShellExecuteCode(c.inst_app, c.last_error), c.code) << c.inst_app << " " << c.last_error;
}

}  // namespace
