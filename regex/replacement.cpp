#include "regex/replacement.h"

#include "regex/bounds/bounds.h"

namespace hostkit::regex {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

Replacement::Replacement(std::string_view format) : format_(format) {
  auto text = [&](std::size_t offset, std::size_t length) {
    if (length > 0) pieces_.push_back({Kind::kText, offset, length});
  };
  std::size_t at = 0;
  while (true) {
    const std::size_t dollar = format_.find('$', at);
    if (dollar == std::string_view::npos) {
      text(at, format_.size() - at);
      break;
    }
    text(at, dollar - at);
    std::size_t next = dollar + 1;
    if (next == format_.size()) {
      text(dollar, 1);  // a "$" at the end stands for itself
    } else if (format_[next] == '$') {
      text(dollar, 1);
      ++next;
    } else if (format_[next] == '&') {
      pieces_.push_back({Kind::kGroup, 0, 0});
      ++next;
    } else if (format_[next] == '`') {
      pieces_.push_back({Kind::kBefore, 0, 0});
      ++next;
    } else if (format_[next] == '\'') {
      pieces_.push_back({Kind::kAfter, 0, 0});
      ++next;
    } else if (IsDigit(format_[next])) {
      std::size_t group = static_cast<std::size_t>(format_[next++] - '0');
      if (next != format_.size() && IsDigit(format_[next]))
        group = group * 10 + static_cast<std::size_t>(format_[next++] - '0');
      pieces_.push_back({Kind::kGroup, group, 0});
    } else {
      text(dollar, 1);  // "$" before anything else stands for itself; the next character is read as usual
    }
    at = next;
  }
}

void Replacement::Expand(const GuardedMatch& m, const char* before, const char* end, std::string& out,
                         Guard& guard) const {
  auto copy = [&](const char* first, const char* last) {
    guard.Charge((last - first + 1) * bounds::kResultByteCost);
    out.append(first, last);
  };
  for (const Piece& p : pieces_) {
    switch (p.kind) {
      case Kind::kText:
        copy(format_.data() + p.offset, format_.data() + p.offset + p.length);
        break;
      case Kind::kGroup:
        // A group the pattern does not have, or one that took no part, inserts nothing.
        if (p.offset < m.size() && m[p.offset].matched)
          copy(m[p.offset].first.base(), m[p.offset].second.base());
        else
          guard.Charge(bounds::kResultByteCost);
        break;
      case Kind::kBefore:
        copy(before, m[0].first.base());
        break;
      case Kind::kAfter:
        copy(m[0].second.base(), end);
        break;
    }
  }
}

}  // namespace hostkit::regex
