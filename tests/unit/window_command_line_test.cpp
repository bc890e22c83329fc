#include <gtest/gtest.h>

#include <string>

#include "window/command_line.h"

namespace {

using hostkit::window::BarSeparateArguments;
using hostkit::window::ComspecProgram;
using hostkit::window::InterpreterCommandLine;

std::string Barred(std::string text) {
  BarSeparateArguments(text.data());
  return text;
}

TEST(WindowCommandLine, SpacesOutsideQuotesBecomeBars) {
  const struct {
    const char* line;
    const char* expected;
  } cases[] = {
      {R"("C:\Program Files\host.exe" -a b)", R"("C:\Program Files\host.exe"|-a|b)"},
      {"host.exe  two", "host.exe||two"},
      {"host.exe end ", "host.exe|end|"},
      {" lead", "|lead"},
      {R"(host.exe "open a b)", R"(host.exe|"open a b)"},  // unmatched quote: nothing more replaced
      {R"(a "b c" d "e f" g)", R"(a|"b c"|d|"e f"|g)"},    // quotes toggle each time
      {"a\tb c", "a\tb|c"},                                // tabs stay
      {R"(a \"b c\" d)", R"(a|\"b c\"|d)"},                // a backslash escapes nothing
      {"a%s %n", "a%s|%n"},
      {"", ""},
      {"\"\"  \"", "\"\"||\""},
  };
  for (const auto& c : cases) EXPECT_EQ(Barred(c.line), c.expected) << c.line;
}

TEST(WindowCommandLine, StopsAtTheTerminatorAndLeavesNullAlone) {
  char text[] = "a b\0c d";
  BarSeparateArguments(text);
  EXPECT_EQ(std::string(text, sizeof text - 1), std::string("a|b\0c d", 7));
  BarSeparateArguments(nullptr);  // must not touch memory
}

TEST(WindowCommandLine, InterpreterLineQuotesAProgramWithBlanksOnce) {
  const struct {
    const char* program;
    const char* command;
    const char* expected;
  } cases[] = {
      {R"(C:\windows\system32\cmd.exe)", "echo hi", R"(C:\windows\system32\cmd.exe /c echo hi)"},
      {R"(C:\my tools\cmd.exe)", "dir", R"("C:\my tools\cmd.exe" /c dir)"},
      {"C:\\tab\there\\cmd.exe", "dir", "\"C:\\tab\there\\cmd.exe\" /c dir"},
      {R"("C:\my tools\cmd.exe")", "dir", R"("C:\my tools\cmd.exe" /c dir)"},
      {"cmd.exe", R"("a b" & echo %PATH%)", R"(cmd.exe /c "a b" & echo %PATH%)"},
      {"cmd.exe", "", "cmd.exe /c "},
  };
  for (const auto& c : cases) EXPECT_EQ(InterpreterCommandLine(c.program, c.command), c.expected) << c.program;
}

// The program's name goes to the platform unquoted, and the command line built from it quotes it again where
// it holds a blank.
TEST(WindowCommandLine, ComspecProgramDropsTheQuotesAroundTheValue) {
  const struct {
    const char* comspec;
    const char* program;
    const char* line;
  } cases[] = {
      {R"(C:\windows\system32\cmd.exe)", R"(C:\windows\system32\cmd.exe)", R"(C:\windows\system32\cmd.exe /c dir)"},
      {R"("C:\windows\system32\cmd.exe")", R"(C:\windows\system32\cmd.exe)", R"(C:\windows\system32\cmd.exe /c dir)"},
      {R"("C:\my tools\cmd.exe")", R"(C:\my tools\cmd.exe)", R"("C:\my tools\cmd.exe" /c dir)"},
      {R"("C:\my tools\cmd.exe" /k)", R"(C:\my tools\cmd.exe)", R"("C:\my tools\cmd.exe" /c dir)"},
      {R"("C:\unclosed\cmd.exe)", R"(C:\unclosed\cmd.exe)", R"(C:\unclosed\cmd.exe /c dir)"},
      {R"(C:\in"side\cmd.exe)", R"(C:\in"side\cmd.exe)", R"(C:\in"side\cmd.exe /c dir)"},
      {R"("")", "", " /c dir"},
      {"", "", " /c dir"},
  };
  for (const auto& c : cases) {
    const std::string program = ComspecProgram(c.comspec);
    EXPECT_EQ(program, c.program) << c.comspec;
    EXPECT_EQ(InterpreterCommandLine(program, "dir"), c.line) << c.comspec;
  }
}

}  // namespace
