#include "regex/pattern.h"

#include "regex/bounds/bounds.h"

namespace hostkit::regex {

std::shared_ptr<CompiledPattern> CompilePattern(std::string_view pattern, Guard& guard) {
  guard.RequireRoom(CompileStack(pattern));
  auto compiled = std::make_shared<CompiledPattern>();
  compiled->regex = Compile(pattern);
  compiled->shape = Measure(compiled->regex);
  guard.Charge(bounds::kFactsClassesCost + static_cast<std::int64_t>(pattern.size()) * bounds::kFactsByteCost);
  compiled->facts = ReadPatternFacts(pattern, compiled->regex.getloc());
  compiled->source_bytes = pattern.size();
  return compiled;
}

}  // namespace hostkit::regex
