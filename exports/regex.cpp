// Exported regex commands: each forwards to regex/ behind the boundary guard.
#include "host/boundary.h"
#include "host/result.h"
#include "regex/commands.h"

using namespace hostkit;

extern "C" {

int hk_RegExMatch(const char* text, const char* pattern) {
  return GuardInt(0, [&] { return regex::Match(Arg(text), Arg(pattern)); });
}
char* hk_RegExSearch(const char* text, const char* pattern) {
  return GuardString([&] { return host::TextResult(regex::Search(Arg(text), Arg(pattern))); });
}
char* hk_RegExSearchPosition(const char* text, const char* pattern) {
  return GuardString([&] { return host::TextResult(regex::SearchPositions(Arg(text), Arg(pattern))); });
}
char* hk_RegExReplace_3(const char* text, const char* pattern, const char* replacement) {
  return GuardString([&] { return host::TextResult(regex::Replace(Arg(text), Arg(pattern), Arg(replacement))); });
}
char* hk_RegExReplace_5(const char* text, const char* pattern, const char* replacement, int start, int end) {
  return GuardString(
      [&] { return host::TextResult(regex::ReplaceSlice(Arg(text), Arg(pattern), Arg(replacement), start, end)); });
}

char* hk_GetRegExError() {
  return GuardString([] { return host::TextResult(regex::LastError()); });
}

}  // extern "C"
