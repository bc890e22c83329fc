#include "regex/engine/dialect.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "regex/bounds/bounds.h"
#include "regex/engine/internals.h"

namespace hostkit::regex {
namespace {

constexpr std::uint64_t kCap = std::uint64_t{1} << 60;

std::uint64_t Add(std::uint64_t a, std::uint64_t b) { return std::min(kCap, a + b); }

// Steps of the matcher from a state up to the states that touch the text: calls that do not touch it (alternatives,
// groups, loop entries, back-references to groups that did not match) and the touches they lead to.
struct Silent {
  std::uint64_t calls = 0;
  std::uint64_t touches = 0;
};

// Past this many groups referred to, every back-reference counts as one whose group may be unset.
constexpr std::size_t kMostGroupsFollowed = 16;

// Which back-references always find their group set: the matcher fails at a back-reference without touching the
// text only when its group has not matched, which a path from the start sets by passing the group's end. A
// back-reference is sure of its group when every path from the start to it passes the group's end, that is,
// when it cannot be reached from the start with that end taken out. States the reading cannot reach (the bodies
// of lookaheads) are never sure.
std::vector<bool> SureBackrefs(const Automaton& automaton) {
  using Kind = AutomatonState::Kind;
  const std::vector<AutomatonState>& nfa = automaton.states;
  const std::size_t n = nfa.size();
  std::vector<bool> sure(n, false);
  std::vector<std::int64_t> groups;
  for (const AutomatonState& s : nfa)
    if (s.kind == Kind::kBackref && std::find(groups.begin(), groups.end(), s.group) == groups.end())
      groups.push_back(s.group);
  if (n == 0 || groups.empty() || groups.size() > kMostGroupsFollowed) return sure;
  // Reachable from the start, without passing the end of group `without` (-1: any path).
  auto reach = [&](std::int64_t without) {
    std::vector<bool> seen(n, false);
    std::vector<std::size_t> stack{0};
    seen[0] = true;
    while (!stack.empty()) {
      const AutomatonState& s = nfa[stack.back()];
      stack.pop_back();
      if (without >= 0 && s.kind == Kind::kSilent && s.group == without) continue;
      for (const std::int64_t to : {s.next, s.alt})
        if (to >= 0 && static_cast<std::uint64_t>(to) < n && !seen[static_cast<std::size_t>(to)]) {
          seen[static_cast<std::size_t>(to)] = true;
          stack.push_back(static_cast<std::size_t>(to));
        }
    }
    return seen;
  };
  const std::vector<bool> reachable = reach(-1);
  for (const std::int64_t group : groups) {
    const std::vector<bool> unset = reach(group);
    for (std::size_t i = 0; i < n; ++i)
      if (nfa[i].kind == Kind::kBackref && nfa[i].group == group) sure[i] = reachable[i] && !unset[i];
  }
  return sure;
}

// Memoised walk without recursion (automata reach 100,000 states). A loop back into a state still on the walk is
// a loop revisit, which the matcher makes through a touch. A back-reference sure of its group touches the text.
std::vector<Silent> SilentWork(const Automaton& automaton) {
  using Kind = AutomatonState::Kind;
  const std::vector<AutomatonState>& nfa = automaton.states;
  const std::size_t n = nfa.size();
  enum : char { kNew, kOpen, kDone };
  std::vector<char> mark(n, kNew);
  std::vector<Silent> work(n);
  const std::vector<bool> sure = SureBackrefs(automaton);
  auto children = [&](std::size_t i, std::size_t out[2]) -> int {
    const AutomatonState& s = nfa[i];
    if (s.kind == Kind::kTouch || s.kind == Kind::kBackref) return 0;
    int count = 0;
    if (s.kind == Kind::kBranch && s.alt >= 0 && static_cast<std::uint64_t>(s.alt) < n)
      out[count++] = static_cast<std::size_t>(s.alt);
    if (s.next >= 0 && static_cast<std::uint64_t>(s.next) < n) out[count++] = static_cast<std::size_t>(s.next);
    return count;
  };
  std::vector<std::size_t> stack;
  for (std::size_t root = 0; root < n; ++root) {
    if (mark[root] != kNew) continue;
    stack.push_back(root);
    while (!stack.empty()) {
      const std::size_t i = stack.back();
      std::size_t out[2];
      const int count = children(i, out);
      if (mark[i] == kNew) {
        mark[i] = kOpen;
        for (int c = 0; c < count; ++c)
          if (mark[out[c]] == kNew) stack.push_back(out[c]);
        continue;
      }
      stack.pop_back();
      if (mark[i] == kDone) continue;
      mark[i] = kDone;
      if (nfa[i].kind == Kind::kTouch || (nfa[i].kind == Kind::kBackref && sure[i])) {
        work[i] = {0, 1};
      } else if (nfa[i].kind == Kind::kBackref) {
        work[i] = {1, 0};  // fails without a touch when its group did not match
      } else {
        Silent w{1, 0};
        for (int c = 0; c < count; ++c) {
          // A child still open is a loop back: the matcher's revisit test touches the text.
          const Silent child = mark[out[c]] == kDone ? work[out[c]] : Silent{0, 1};
          w.calls = Add(w.calls, child.calls);
          w.touches = Add(w.touches, child.touches);
        }
        work[i] = w;
      }
    }
  }
  return work;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at p[i...]; false when their value passes 999,999,999 (leading zeros are fine).
bool SmallNumberAt(std::string_view p, std::size_t& i) {
  std::uint64_t value = 0;
  for (; i < p.size() && IsDigit(p[i]); ++i) {
    value = value * 10 + static_cast<std::uint64_t>(p[i] - '0');
    if (value > 999'999'999) return false;
  }
  return true;
}

// Where the escape that starts at p[i] ("\\") ends, as the engine's scanner reads it in and outside brackets:
// "\\c" takes the character after it too, whatever it is; every other escape here is one character (hex escapes
// read only hex digits, which start nothing). Back-reference digits outside brackets are read by the caller.
std::size_t EscapeEnd(std::string_view p, std::size_t i) {
  if (i + 1 >= p.size()) return p.size();
  return p[i + 1] == 'c' ? std::min(p.size(), i + 3) : i + 2;
}

// libstdc++ reads back-reference numbers and repetition counts into a long and returns them as int, unchecked:
// "a{4294967297}" became "a{1}", and longer numbers overflow (undefined behaviour). Numbers that large can never
// be valid (the automaton is limited to 100,000 states), so such patterns are rejected before the engine sees
// them. The walk follows the scanner: escapes, bracket expressions with their "[:...:]" parts, and braces.
void RejectHugeNumbers(std::string_view p) {
  bool in_bracket = false;
  for (std::size_t i = 0; i < p.size();) {
    const char c = p[i];
    if (in_bracket) {
      if (c == '\\') {
        i = EscapeEnd(p, i);
        continue;
      }
      if (c == '[' && i + 1 < p.size() && (p[i + 1] == ':' || p[i + 1] == '.' || p[i + 1] == '=')) {
        const char end[] = {p[i + 1], ']', '\0'};
        const std::size_t close = p.find(end, i + 2);
        if (close == std::string_view::npos) return;  // the engine rejects it
        i = close + 2;
        continue;
      }
      if (c == ']') in_bracket = false;
      ++i;
      continue;
    }
    if (c == '\\') {
      if (i + 1 < p.size() && p[i + 1] >= '1' && p[i + 1] <= '9') {  // "\\0" is the NUL character, not a group
        std::size_t at = i + 1;
        if (!SmallNumberAt(p, at)) throw std::regex_error(std::regex_constants::error_backref);
        i = at;
      } else {
        i = EscapeEnd(p, i);
      }
      continue;
    }
    if (c == '[') {
      in_bracket = true;
    } else if (c == '{') {
      std::size_t at = i + 1;
      bool small = SmallNumberAt(p, at);
      if (at < p.size() && p[at] == ',') small = SmallNumberAt(p, ++at) && small;
      if (!small) throw std::regex_error(std::regex_constants::error_badbrace);
      i = at;
      continue;
    }
    ++i;
  }
}

// Where the bracket expression that starts at p[i] ("[") ends, as the scanner reads it: escapes, "[:...:]",
// "[.....]" and "[=...=]" parts, and the first "]" otherwise (under ECMAScript "[]" is a bracket of its own).
std::size_t BracketEnd(std::string_view p, std::size_t i) {
  ++i;
  if (i < p.size() && p[i] == '^') ++i;
  while (i < p.size()) {
    const char c = p[i];
    if (c == ']') return i + 1;
    if (c == '\\') {
      i = EscapeEnd(p, i);
    } else if (c == '[' && i + 1 < p.size() && (p[i + 1] == ':' || p[i + 1] == '.' || p[i + 1] == '=')) {
      const char end[] = {p[i + 1], ']', '\0'};
      const std::size_t close = p.find(end, i + 2);
      if (close == std::string_view::npos) return p.size();
      i = close + 2;
    } else {
      ++i;
    }
  }
  return p.size();
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "(?" and a letter: a flag group, not a group the engine knows ("(?:", "(?=", "(?!").
bool FlagGroupAt(std::string_view p, std::size_t i) {
  return p.compare(i, 2, "(?") == 0 && i + 2 < p.size() && IsLetter(p[i + 2]);
}

[[noreturn]] void RejectFlag(const char* what, char letter) {
  char reason[64];
  std::snprintf(reason, sizeof reason, what, letter);
  throw FlagError(reason);
}

// Scripters bring "(?-i)" from other dialects; there is no flag to turn off here.
constexpr const char* kNoFlagsOff = "flag '-' unknown: only (?i), (?s), (?is) or (?si) at the start";

// Groups of other dialects that the engine reads as an unbalanced parenthesis: "(?#...)" comments, "(?<=...)" and
// "(?<!...)" lookbehind, "(?<name>...)" and "(?P<name>...)" named groups, "(?-i)". Rejected by name instead.
void RejectForeignGroup(std::string_view p, std::size_t i) {
  const std::string_view rest = p.substr(i);
  if (rest.starts_with("(?#")) throw FlagError("comments are not supported");
  if (rest.starts_with("(?<=") || rest.starts_with("(?<!")) throw FlagError("lookbehind is not supported");
  if (rest.starts_with("(?<") || rest.starts_with("(?P<")) throw FlagError("named groups are not supported");
  if (rest.starts_with("(?-")) throw FlagError(kNoFlagsOff);
}

// The letters of the leading group "(?...)", up to its ")"; returns where the rest of the pattern starts.
std::size_t ReadLeadingGroup(std::string_view p, PatternFlags& flags) {
  std::size_t i = 2;
  for (; i < p.size() && p[i] != ')'; ++i) {
    const char c = p[i];
    bool* flag = c == 'i' ? &flags.icase : c == 's' ? &flags.dotall : nullptr;
    if (flag == nullptr) {
      if (c == '-') throw FlagError(kNoFlagsOff);
      if (c == 'm') RejectFlag("flag '%c' unknown: ^ and $ work at every line already", c);
      if (IsLetter(c)) RejectFlag("flag '%c' unknown (the flags are i and s)", c);
      RejectFlag("flag group ends at '%c': only (?i), (?s), (?is) or (?si)", c);
    }
    if (*flag) RejectFlag("flag '%c' repeated", c);
    *flag = true;
  }
  if (i == p.size()) throw FlagError("flag group unclosed");
  return i + 1;
}

}  // namespace

FlagError::FlagError(const char* reason) noexcept : std::regex_error(std::regex_constants::error_paren) {
  std::snprintf(reason_, sizeof reason_, "%s", reason);
}

FlaggedPattern ReadFlags(std::string_view p) {
  FlaggedPattern out;
  std::size_t rest = 0;
  RejectForeignGroup(p, 0);  // "(?P<name>" would read as a flag group
  if (FlagGroupAt(p, 0)) rest = ReadLeadingGroup(p, out.flags);
  // The rest, as the engine's scanner reads it: a flag group there is rejected by name, and under "s" each "."
  // that is the any-byte term is rewritten.
  out.body.reserve(p.size() - rest);
  for (std::size_t i = rest; i < p.size();) {
    const char c = p[i];
    std::size_t next = i + 1;
    if (c == '\\') {
      next = EscapeEnd(p, i);
    } else if (c == '[') {
      next = BracketEnd(p, i);
    } else if (c == '(') {
      RejectForeignGroup(p, i);
      if (p.compare(i, 3, "(?)") == 0) throw FlagError("flag group empty");
      if (FlagGroupAt(p, i)) RejectFlag("flag group (?%c...) only at the start of the pattern", p[i + 2]);
    } else if (c == '.' && out.flags.dotall) {
      out.body += "[\\s\\S]";
      i = next;
      continue;
    }
    out.body.append(p, i, next - i);
    i = next;
  }
  return out;
}

bool IsEmptyPattern(std::string_view p) {
  return p.empty() || p == "(?i)" || p == "(?s)" || p == "(?is)" || p == "(?si)";
}

std::size_t CompileStack(std::string_view p) {
  // terms[level]: the terms read so far in the current alternative of each open group.
  std::vector<std::size_t> terms{0};
  std::size_t open_terms = 0;  // the sum of terms
  std::uint64_t most = 0;
  auto note = [&] {
    most = std::max<std::uint64_t>(most, std::uint64_t{open_terms} * bounds::kCompileBytesPerTerm +
                                             std::uint64_t{terms.size() - 1} * bounds::kCompileBytesPerLevel);
  };
  auto term = [&] {
    ++terms.back();
    ++open_terms;
    note();
  };
  for (std::size_t i = 0; i < p.size();) {
    const char c = p[i];
    if (c == '\\') {
      term();
      std::size_t at = i + 1;
      if (at < p.size() && IsDigit(p[at]) && p[at] != '0') {
        while (at < p.size() && IsDigit(p[at])) ++at;
        i = at;
      } else {
        i = EscapeEnd(p, i);
      }
    } else if (c == '[') {
      term();
      i = BracketEnd(p, i);
    } else if (c == '(') {
      term();  // the group is a term of the alternative around it
      terms.push_back(0);
      i += p.compare(i, 3, "(?:") == 0 || p.compare(i, 3, "(?=") == 0 || p.compare(i, 3, "(?!") == 0 ? 3 : 1;
      note();
    } else if (c == ')') {
      if (terms.size() > 1) {
        open_terms -= terms.back();
        terms.pop_back();
      }
      ++i;
    } else if (c == '|') {
      open_terms -= terms.back();
      terms.back() = 0;
      ++i;
    } else if (c == '{') {
      const std::size_t close = p.find('}', i);  // a count: part of the term before it
      i = close == std::string_view::npos ? p.size() : close + 1;
    } else if (c == '*' || c == '+' || c == '?') {
      ++i;
    } else {
      term();
      ++i;
    }
  }
  return static_cast<std::size_t>(std::min<std::uint64_t>(most, SIZE_MAX));
}

Regex Compile(std::string_view pattern, PatternFlags flags) {
  RejectHugeNumbers(pattern);
  Regex compiled;
  compiled.imbue(flags.icase ? IcaseLocale() : DialectLocale());
  compiled.assign(pattern.data(), pattern.size(),
                  Regex::ECMAScript | Regex::multiline | (flags.icase ? Regex::icase : Regex::flag_type{}));
  EndCompile(compiled);
  return compiled;
}

Shape Measure(const Regex& compiled) {
  const Automaton automaton = ReadAutomaton(compiled);
  Shape shape;
  shape.states = automaton.states.size();
  shape.groups = automaton.groups;
  // Silent calls per touch, at the worst state: a few for ordinary patterns, huge where chains of empty
  // alternatives end at a back-reference whose group may be unset, the one step that fails without a touch. Up to 8
  // silent calls a touch are within a touch's cost.
  std::uint64_t ratio = 1;
  for (const Silent& w : SilentWork(automaton))
    ratio = std::max(ratio, w.calls / std::max<std::uint64_t>(1, w.touches));
  // Each start position of a search also copies the results, one entry per group and four more.
  const std::uint64_t weight = std::max<std::uint64_t>({1, (ratio + 7) / 8, (shape.groups + 4 + 31) / 32});
  shape.weight = static_cast<std::size_t>(std::min<std::uint64_t>(weight, SIZE_MAX));
  return shape;
}

}  // namespace hostkit::regex
