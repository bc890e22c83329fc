#include "regex/pattern.h"

#include "regex/bounds/bounds.h"
#include "regex/engine/case_fold.h"

namespace hostkit::regex {

std::shared_ptr<CompiledPattern> CompilePattern(std::string_view pattern, Guard& guard) {
  const FlaggedPattern flagged = ReadFlags(pattern);
  const std::string_view body = flagged.body;
  guard.RequireRoom(CompileStack(body));
  auto compiled = std::make_shared<CompiledPattern>();
  compiled->regex = Compile(body, flagged.flags);
  compiled->shape = Measure(compiled->regex);
  guard.Charge(bounds::kFactsClassesCost + static_cast<std::int64_t>(body.size()) * bounds::kFactsByteCost);
  compiled->facts =
      ReadPatternFacts(body, compiled->regex.getloc(), flagged.flags.icase ? CodePageFold().other : nullptr);
  compiled->source_bytes = pattern.size();
  return compiled;
}

}  // namespace hostkit::regex
