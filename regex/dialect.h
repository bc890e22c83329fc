#pragma once
// The pattern dialect: std::regex ECMAScript with multiline anchors, where "^" and "$" work at line feeds only.
#include <cstddef>
#include <regex>
#include <string_view>

namespace hostkit::regex {

// Compiles a pattern in the dialect; throws std::regex_error when the engine rejects it.
std::regex Compile(std::string_view pattern);

// What the guard needs to know about a compiled pattern.
struct Shape {
  std::size_t states = 0;  // states of the compiled automaton
  std::size_t groups = 0;  // capture groups
  std::size_t weight = 1;  // steps a touch of the text costs: 1 unless the pattern does much work between touches
};

Shape Measure(const std::regex& compiled);

}  // namespace hostkit::regex
