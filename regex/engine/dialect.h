#pragma once
// The pattern dialect: std::regex ECMAScript with multiline anchors, where "^" and "$" work at line feeds only,
// compiled with the guard's traits (regex/engine/traits.h).
#include <cstddef>
#include <regex>
#include <string>
#include <string_view>

#include "regex/engine/traits.h"

namespace hostkit::regex {

// A pattern may begin with one flag group, "(?i)", "(?s)", "(?is)" or "(?si)": "i" matches letters regardless of
// case (regex/engine/case_fold.h), "s" lets "." take line feeds and carriage returns too.
struct PatternFlags {
  bool icase = false;
  bool dotall = false;
};

// A pattern rejected for its flag group, or for a group of another dialect (a comment, lookbehind, a named
// group); what() names the flag or the construct.
class FlagError : public std::regex_error {
 public:
  explicit FlagError(const char* reason) noexcept;
  const char* what() const noexcept override { return reason_; }

 private:
  char reason_[64];
};

// The flags, and the rest of the pattern as the engine is to read it: under "s" every "." outside brackets and
// escapes becomes "[\s\S]".
struct FlaggedPattern {
  PatternFlags flags;
  std::string body;
};

// Reads the flag group off a pattern; throws FlagError for a flag group anywhere else, an unknown or repeated
// letter, an empty group, or a group of another dialect.
FlaggedPattern ReadFlags(std::string_view pattern);

// A pattern with nothing to match: empty, or a valid flag group alone. The commands answer both with their
// failure value and no error, without compiling.
bool IsEmptyPattern(std::string_view pattern);

// Compiles a pattern's body (without its flag group) in the dialect; throws std::regex_error when the engine
// rejects it.
Regex Compile(std::string_view body, PatternFlags flags = {});

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
