#pragma once
// The pattern dialect: std::regex ECMAScript with multiline anchors, where "^" and "$" work at line feeds only,
// compiled with the guard's traits (regex/engine/traits.h).
#include <cstddef>
#include <string_view>

#include "regex/engine/traits.h"

namespace hostkit::regex {

// Compiles a pattern in the dialect; throws std::regex_error when the engine rejects it.
Regex Compile(std::string_view pattern);

// The stack the engine's compiler will use for the pattern, at most: it recurses once per term of an
// alternative and once per group level (regex/bounds/bounds.h).
std::size_t CompileStack(std::string_view pattern);

// What the guard needs to know about a compiled pattern.
struct Shape {
  std::size_t states = 0;  // states of the compiled automaton
  std::size_t groups = 0;  // capture groups
  std::size_t weight = 1;  // how many times a touch of the text costs its usual: 1 unless the pattern does much
                           // work between touches
};

Shape Measure(const Regex& compiled);

}  // namespace hostkit::regex
