#pragma once
// Replacement text with the default (ECMAScript) format rules, read once and expanded for every match:
// "$&" the match, "$n" and "$nn" a group, "$`" the text before the match, "$'" the text after it, "$$" one "$".
// The rules are those of std::match_results::format in libstdc++ 12, which the tests compare against.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "regex/bounds/guard.h"

namespace hostkit::regex {

class Replacement {
 public:
  explicit Replacement(std::string_view format);

  // Appends the expansion for match m; the text before it starts at before, the text after it ends at end.
  void Expand(const GuardedMatch& m, const char* before, const char* end, std::string& out, Guard& guard) const;

 private:
  enum class Kind { kText, kGroup, kBefore, kAfter };
  struct Piece {
    Kind kind;
    std::size_t offset;  // kText: into format_; kGroup: the group number
    std::size_t length;  // kText only
  };

  std::string_view format_;
  std::vector<Piece> pieces_;
};

}  // namespace hostkit::regex
