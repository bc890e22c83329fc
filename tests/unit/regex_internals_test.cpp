// The reading of the engine's private automaton (regex/engine/internals.cpp) against automata of a known shape: a
// library release that lays them out otherwise fails here, before the guard misjudges a pattern.
#include <gtest/gtest.h>

#include <string>

#include "regex/engine/dialect.h"
#include "regex/engine/internals.h"

namespace {

using namespace hostkit::regex;
using Kind = AutomatonState::Kind;

std::string KindsOf(const char* pattern) {
  std::string kinds;
  for (const AutomatonState& s : ReadAutomaton(Compile(pattern)).states)
    kinds += s.kind == Kind::kTouch ? 'T' : s.kind == Kind::kBackref ? 'R' : s.kind == Kind::kBranch ? 'B' : 's';
  return kinds;
}

TEST(RegexInternals, AutomataHaveTheLayoutTheGuardReads) {
  // Per state: T tests the text, R is a back-reference, B branches, s is silent (group marks, the start).
  // "ab": group 0 opens, two characters, a join, group 0 closes, accept.
  EXPECT_EQ(KindsOf("ab"), "sTTssT");
  EXPECT_EQ(KindsOf("a|b"), "sTsTssBsT") << "an alternative joins two branches";
  EXPECT_EQ(KindsOf("(a)\\1"), "ssTssRssT");
  EXPECT_EQ(KindsOf("a*"), "sTBssT") << "a loop branches back";
  EXPECT_EQ(KindsOf("^\\b$(?=a)"), "sTTTTsTTssT");

  const Automaton loop = ReadAutomaton(Compile("a*"));
  ASSERT_EQ(loop.states.size(), 6u);
  const AutomatonState& repeat = loop.states[2];
  EXPECT_EQ(repeat.kind, Kind::kBranch);
  EXPECT_TRUE(repeat.alt == 1 || repeat.next == 1) << "the loop goes back to its character";
  for (const AutomatonState& s : loop.states) {
    EXPECT_GE(s.next, -1);
    EXPECT_LT(s.next, 6);
  }
  EXPECT_EQ(ReadAutomaton(Compile("(a)(b(c))")).groups, 3u);
  EXPECT_EQ(ReadAutomaton(Compile("(?:a)")).groups, 0u);
  EXPECT_TRUE(ReadAutomaton(Regex()).states.empty());
}

}  // namespace
