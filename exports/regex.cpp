// Exported regex commands: each forwards to regex/.
#include "exports/command.h"
#include "regex/commands.h"

using namespace hostkit;
using exports::Export;

extern "C" {

int hk_RegExMatch(const char* text, const char* pattern) {
  return Export<hk_RegExMatch>([&] { return regex::Match(Arg(text), Arg(pattern)); });
}
char* hk_RegExSearch(const char* text, const char* pattern) {
  return Export<hk_RegExSearch>([&] { return regex::Search(Arg(text), Arg(pattern)); });
}
char* hk_RegExSearchPosition(const char* text, const char* pattern) {
  return Export<hk_RegExSearchPosition>([&] { return regex::SearchPositions(Arg(text), Arg(pattern)); });
}
char* hk_RegExReplace_3(const char* text, const char* pattern, const char* replacement) {
  return Export<hk_RegExReplace_3>([&] { return regex::Replace(Arg(text), Arg(pattern), Arg(replacement)); });
}
char* hk_RegExReplace_5(const char* text, const char* pattern, const char* replacement, int start, int end) {
  return Export<hk_RegExReplace_5>(
      [&] { return regex::ReplaceSlice(Arg(text), Arg(pattern), Arg(replacement), start, end); });
}

}  // extern "C"
