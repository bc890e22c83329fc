#pragma once
// The regex commands, portable: whole-text match, search lists, and replace. Each takes its pattern compiled in
// the dialect of regex/engine/dialect.h from the shared cache (regex/pattern_cache.h), compiling it when it is not
// there, and runs within the bounds of regex/bounds/run.h; an engine error or a bound gives the failure value (0 or
// ""), and LastError() tells which, the same whether the pattern was cached or not.
#include <cstdint>
#include <string>
#include <string_view>

namespace hostkit::regex {

// 1 when the whole text matches; 0 otherwise and when text or pattern is empty.
int Match(std::string_view text, std::string_view pattern);

// ["match","group 1",...,"next match",...]: every match followed by its groups, unescaped; "" without a match.
std::string Search(std::string_view text, std::string_view pattern);

// [{position,length},...]: every match's byte offset and length; "" without a match.
std::string SearchPositions(std::string_view text, std::string_view pattern);

// The text with every match replaced, as std::regex_replace with default flags gives it; "" when any argument is
// empty.
std::string Replace(std::string_view text, std::string_view pattern, std::string_view replacement);

// Replace over the bytes [start, end) of the text only; an end out of range is the text's length, a start out of
// range (or past end) is 0.
std::string ReplaceSlice(std::string_view text, std::string_view pattern, std::string_view replacement,
                         std::int32_t start, std::int32_t end);

// Why the last of the commands above on this thread failed: "" after one that worked (match or no match alike,
// or an empty argument), else a short reason such as "pattern rejected: unbalanced parenthesis".
const char* LastError() noexcept;

}  // namespace hostkit::regex
