#pragma once
// The host double's script lines: `Name arg arg ...`, with quoted strings (C escapes), ints (decimal, negative,
// 0x hex), the bare word null for a null string, and # starting a comment.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/hostrun/host_double.h"

namespace hostrun {

struct ScriptLine {
  std::string name;
  std::vector<Arg> args;
};

// nullopt for a blank or comment line; throws std::invalid_argument saying what is wrong for a bad line.
std::optional<ScriptLine> ParseScriptLine(std::string_view line);

// A result as one JSON value: a string (bytes of 0x80 and above as \u00XX), an integer, or null.
std::string ToJson(const Result& result);
std::string JsonString(std::string_view text);

}  // namespace hostrun
