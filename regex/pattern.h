#pragma once
// A pattern as the commands use it, made once: compiled in the dialect (regex/engine/dialect.h), measured for the
// guard, and its facts read for the start filter (regex/skip/pattern_facts.h). The walks take this one type; the
// pattern cache (regex/pattern_cache.h) keeps it between calls.
#include <cstddef>
#include <memory>
#include <string_view>

#include "regex/bounds/guard.h"
#include "regex/engine/dialect.h"
#include "regex/skip/pattern_facts.h"

namespace hostkit::regex {

struct CompiledPattern {
  Regex regex;
  Shape shape;
  PatternFacts facts;
  std::size_t source_bytes = 0;  // the pattern's length: an engine call's cost grows with it
};

// Compiles a pattern within the guard: the compiler's stack is checked first and its work charged (the traits'
// calls), then the automaton is measured and the facts read, charged too. Throws std::regex_error when the
// engine rejects the pattern, or the guard's trip.
std::shared_ptr<CompiledPattern> CompilePattern(std::string_view pattern, Guard& guard);

}  // namespace hostkit::regex
