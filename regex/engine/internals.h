#pragma once
// The one place that reads libstdc++'s private regex automaton: what the guard needs of a compiled pattern.
// tests/unit/regex_internals_test.cpp checks the reading against automata of a known shape, so a release of
// the library with another layout fails there, loudly, instead of silently misjudging patterns.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "regex/engine/traits.h"

namespace hostkit::regex {

struct AutomatonState {
  enum class Kind : std::uint8_t {
    kTouch,    // tests the text: a character, an anchor, a word boundary, a lookahead, the accepting state
    kBackref,  // a back-reference: touches the text, or fails at once when its group did not match
    kBranch,   // an alternative or a loop: next and alt
    kSilent,   // groups, the start: next only
  };
  Kind kind;
  std::int64_t next;  // -1 when none
  std::int64_t alt;   // kBranch only; -1 when none
  // kBackref: the group it refers to; a group's end (kSilent): the group it closes, which sets its text;
  // else -1.
  std::int64_t group = -1;
};

struct Automaton {
  std::vector<AutomatonState> states;
  std::size_t groups = 0;  // capture groups, the whole match not included
};

// Empty for a default-constructed Regex.
Automaton ReadAutomaton(const Regex& compiled);

// Ends the compile of the automaton's traits (regex/engine/traits.h): from now on they charge the current guard of
// whichever thread matches. Nothing for a default-constructed Regex.
void EndCompile(const Regex& compiled) noexcept;

}  // namespace hostkit::regex
