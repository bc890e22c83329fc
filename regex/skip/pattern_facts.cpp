#include "regex/skip/pattern_facts.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <regex>
#include <utility>
#include <vector>

namespace hostkit::regex {
namespace {

// Longer prefixes do not make the scan for them any faster.
constexpr std::size_t kMaxPrefix = 32;

// What a part of a pattern (a term, a sequence, an alternation) says about the text it matches.
struct Facts {
  bool nullable = true;     // may match the empty string
  bool zero_width = true;   // never consumes a byte (assertions, lookaheads, "x{0}")
  bool line_start = false;  // holds only where "^" holds
  ByteSet first;            // bytes its first consumed byte may be
  ByteSet must;             // bytes that every match of it consumes
  std::string prefix;       // every match of it starts with these bytes
  bool exact = true;        // every match of it consumes exactly the prefix
  // How its matches begin: with a run of bytes of one set, and then a byte of a set apart from it (see
  // PatternFacts::run). kOpen: nothing consumed yet (assertions at most); kRun: what it consumes is all a run of
  // lead_run, at least lead_min long; kKnown: a run and then a byte of lead_end; kNone: neither.
  enum class Lead { kOpen, kRun, kKnown, kNone };
  Lead lead = Lead::kOpen;
  ByteSet lead_run;
  std::size_t lead_min = 0;
  ByteSet lead_end;
};

std::size_t SaturatingProduct(std::size_t a, std::size_t b) {
  return a != 0 && b > (std::size_t{1} << 30) / a ? std::size_t{1} << 30 : a * b;
}

Facts Consuming(const ByteSet& bytes) {
  Facts f;
  f.nullable = false;
  f.zero_width = false;
  f.first = bytes;
  f.exact = false;
  f.lead = Facts::Lead::kRun;
  f.lead_run = bytes;
  f.lead_min = 1;
  if (bytes.count() == 1) {
    for (int b = 0; b < 256; ++b)
      if (bytes[static_cast<std::size_t>(b)]) f.prefix.assign(1, static_cast<char>(b));
    f.must = bytes;
    f.exact = true;
  }
  return f;
}

// The run ends at the first byte outside its set, so the byte after it is the first byte of what follows: a
// part that always consumes, and starts outside the run's set.
void AppendLead(Facts& acc, const Facts& next) {
  using Lead = Facts::Lead;
  if (acc.lead == Lead::kOpen) {
    acc.lead = next.lead;
    acc.lead_run = next.lead_run;
    acc.lead_min = next.lead_min;
    acc.lead_end = next.lead_end;
  } else if (acc.lead == Lead::kRun && !next.zero_width) {
    const bool apart = !next.nullable && (next.first & acc.lead_run).none();
    acc.lead = apart ? Lead::kKnown : Lead::kNone;
    if (apart) acc.lead_end = next.first;
  }
}

void Append(Facts& acc, const Facts& next) {
  AppendLead(acc, next);
  if (acc.nullable) acc.first |= next.first;
  acc.line_start = acc.line_start || (acc.zero_width && next.line_start);
  acc.nullable = acc.nullable && next.nullable;
  acc.zero_width = acc.zero_width && next.zero_width;
  acc.must |= next.must;
  if (acc.exact) {
    acc.prefix.append(next.prefix, 0, kMaxPrefix - std::min(kMaxPrefix, acc.prefix.size()));
    acc.exact = next.exact && acc.prefix.size() < kMaxPrefix;
  }
}

// Either part's run is a run of both sets together, and its end byte one of both ends, if the union of the runs
// still holds neither end. Nothing consumed counts as a run of length 0.
void EitherLead(Facts& acc, const Facts& other) {
  using Lead = Facts::Lead;
  if (acc.lead == Lead::kOpen && other.lead == Lead::kOpen) return;
  const auto as_run = [](const Facts& f) { return f.lead == Lead::kOpen ? Lead::kRun : f.lead; };
  const Lead a = as_run(acc);
  const Lead b = as_run(other);
  if (a != b || a == Lead::kNone) {
    acc.lead = Lead::kNone;
    return;
  }
  acc.lead_min = std::min(acc.lead == Lead::kOpen ? 0 : acc.lead_min, other.lead == Lead::kOpen ? 0 : other.lead_min);
  acc.lead_run |= other.lead_run;
  acc.lead_end |= other.lead_end;
  acc.lead = a;
  if (a == Lead::kKnown && (acc.lead_run & acc.lead_end).any()) acc.lead = Lead::kNone;
}

void Either(Facts& acc, const Facts& other) {
  EitherLead(acc, other);
  acc.first |= other.first;
  acc.line_start = acc.line_start && other.line_start;
  acc.nullable = acc.nullable || other.nullable;
  acc.zero_width = acc.zero_width && other.zero_width;
  acc.must &= other.must;
  const bool same = acc.prefix == other.prefix;
  const auto differ = std::mismatch(acc.prefix.begin(), acc.prefix.end(), other.prefix.begin(), other.prefix.end());
  acc.prefix.erase(differ.first, acc.prefix.end());
  acc.exact = acc.exact && other.exact && same;
}

constexpr std::size_t kUnbounded = SIZE_MAX;

void Repeat(Facts& f, std::size_t min, std::size_t max) {
  if (max == 0) {
    f = Facts();  // consumes nothing and asserts nothing, like an empty group
    return;
  }
  // A run repeated is a longer run; a known start holds while the first round is required.
  if (f.lead == Facts::Lead::kRun)
    f.lead_min = SaturatingProduct(f.lead_min, min);
  else if (f.lead == Facts::Lead::kKnown && min == 0)
    f.lead = Facts::Lead::kNone;
  if (min == 0) {
    f.nullable = true;
    f.line_start = false;
    f.must.reset();
    f.prefix.clear();
  }
  f.exact = f.exact && ((min == 1 && max == 1) || f.zero_width);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsAsciiAlnum(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
int HexValue(char c) { return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

ByteSet Single(char c) { return ByteSet().set(static_cast<unsigned char>(c)); }

// A bracket item's bytes: those it surely matches and those it may match.
struct Bounds {
  ByteSet low;
  ByteSet high;
};

Bounds Exactly(const ByteSet& s) { return {s, s}; }
Bounds Unknown() { return {ByteSet(), ByteSet().set()}; }

// Reads the pattern by the grammar of the engine's scanner (libstdc++'s _Scanner and _Compiler in ECMAScript mode).
// Recursion is one level a group, bounded by kMaxFactsDepth.
class Reader {
 public:
  Reader(std::string_view p, const std::locale& locale) : p_(p) { traits_.imbue(locale); }

  bool Read(Facts& out) {
    out = Alternation(0);
    return ok_ && at_ == p_.size();
  }

 private:
  bool More() const { return ok_ && at_ < p_.size(); }
  char Peek() const { return p_[at_]; }
  void GiveUp() { ok_ = false; }
  Facts Fail() {
    ok_ = false;
    return Facts();
  }

  Facts Alternation(int depth) {
    Facts f = Sequence(depth);
    while (More() && Peek() == '|') {
      ++at_;
      Either(f, Sequence(depth));
    }
    return f;
  }

  Facts Sequence(int depth) {
    Facts acc;
    while (More() && Peek() != '|' && Peek() != ')') {
      Facts term = Term(depth);
      Quantifiers(term);
      Append(acc, term);
    }
    return acc;
  }

  Facts Term(int depth) {
    const char c = p_[at_++];
    switch (c) {
      case '^': {
        Facts f;
        f.line_start = true;
        return f;
      }
      case '$':
        return Facts();
      case '.':
        return Consuming(ByteSet().set().reset('\n').reset('\r'));
      case '\\':
        return Escape();
      case '[':
        return Bracket();
      case '(':
        return Group(depth);
      case '*':
      case '+':
      case '?':
      case '{':
      case ')':
      case '|':
        return Fail();  // not a term: the engine rejects it
      default:
        return Consuming(Single(c));  // "]", "}", NUL and every other byte stand for themselves
    }
  }

  Facts Group(int depth) {
    bool lookahead = false;
    if (at_ < p_.size() && Peek() == '?') {
      if (at_ + 1 >= p_.size()) return Fail();
      const char kind = p_[at_ + 1];
      if (kind == '=' || kind == '!')
        lookahead = true;
      else if (kind != ':')
        return Fail();
      at_ += 2;
    }
    if (depth + 1 >= kMaxFactsDepth) return Fail();
    Facts inner = Alternation(depth + 1);
    if (!More() || Peek() != ')') return Fail();
    ++at_;
    // A lookahead consumes nothing; what it looks at need not be part of the match.
    return lookahead ? Facts() : inner;
  }

  Facts Escape() {
    if (at_ >= p_.size()) return Fail();
    const char c = p_[at_++];
    switch (c) {
      case 'b':
      case 'B':
        return Facts();  // word boundaries consume nothing
      case 'd':
      case 'D':
      case 's':
      case 'S':
      case 'w':
      case 'W':
        return Consuming(ClassEscape(c));
      default:
        break;
    }
    Bounds b;
    if (!EscapedChar(c, b)) return Fail();
    return Consuming(b.high);
  }

  // The escapes that stand for one byte, in or out of brackets (outside, "\b" was taken as a boundary). False for
  // back-references and escapes whose meaning differs between library releases.
  bool EscapedChar(char c, Bounds& out) {
    static constexpr std::pair<char, char> kNamed[] = {{'0', '\0'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},
                                                       {'r', '\r'}, {'t', '\t'}, {'v', '\v'}};
    for (const auto& [name, value] : kNamed)
      if (c == name) return out = Exactly(Single(value)), true;
    if (c == 'x' || c == 'u') {
      const std::size_t digits = c == 'x' ? 2 : 4;
      if (p_.size() - at_ < digits) return false;
      int value = 0;
      for (std::size_t i = 0; i < digits; ++i) {
        if (!IsHex(p_[at_ + i])) return false;
        value = value * 16 + HexValue(p_[at_ + i]);
      }
      at_ += digits;
      // "\uNNNN" above 0xFF does not fit a byte; how it is cut is the library's business.
      out = value <= 0xFF ? Exactly(Single(static_cast<char>(value))) : Unknown();
      return true;
    }
    if (c == 'c') {
      // One byte, the next one or a control character made from it, depending on the release.
      if (at_ >= p_.size()) return false;
      ++at_;
      out = Unknown();
      return true;
    }
    if (IsAsciiAlnum(c)) return false;  // back-references and letters without a meaning here
    out = Exactly(Single(c));           // "\." and the like: the byte itself
    return true;
  }

  ByteSet ClassEscape(char c) {
    const char lower = static_cast<char>(c | 0x20);
    ByteSet s = NamedClass(std::string_view(&lower, 1));
    return c == lower ? s : ~s;
  }

  ByteSet NamedClass(std::string_view name) {
    const std::string key(name);
    const auto found = classes_.find(key);
    if (found != classes_.end()) return found->second;
    ByteSet s;
    const auto mask = traits_.lookup_classname(name.begin(), name.end());
    if (mask == std::regex_traits<char>::char_class_type())
      s.set();  // unknown: the engine rejected it already
    else
      for (int b = 0; b < 256; ++b)
        if (traits_.isctype(static_cast<char>(b), mask)) s.set(static_cast<std::size_t>(b));
    classes_.emplace(key, s);
    return s;
  }

  // "[...]" and "[^...]": the union of its items, complemented when negated. A "]" right after "[" or "[^" closes
  // it (the ECMAScript rule). Ranges compare chars as the engine does, as the platform's char.
  Facts Bracket() {
    const bool negated = at_ < p_.size() && Peek() == '^';
    if (negated) ++at_;
    enum class Kind { kChar, kSet, kDash };
    struct Item {
      Kind kind;
      char c;
      Bounds set;
    };
    std::vector<Item> items;
    while (true) {
      if (at_ >= p_.size()) return Fail();
      const char c = p_[at_++];
      if (c == ']') break;
      if (c == '-') {
        items.push_back({Kind::kDash, c, {}});
      } else if (c == '[' && at_ < p_.size() && (Peek() == ':' || Peek() == '.' || Peek() == '=')) {
        // The name runs to the first ":" (or "." or "="), which "]" must follow.
        const char kind = p_[at_];
        const std::size_t end = p_.find(kind, at_ + 1);
        if (end == std::string_view::npos || end + 1 >= p_.size() || p_[end + 1] != ']') return Fail();
        const std::string_view name = p_.substr(at_ + 1, end - at_ - 1);
        at_ = end + 2;
        items.push_back({Kind::kSet, c, kind == ':' ? Exactly(NamedClass(name)) : Unknown()});
      } else if (c == '\\') {
        if (at_ >= p_.size()) return Fail();
        const char e = p_[at_++];
        if (e == 'd' || e == 'D' || e == 's' || e == 'S' || e == 'w' || e == 'W') {
          items.push_back({Kind::kSet, e, Exactly(ClassEscape(e))});
        } else {
          Bounds b;
          if (!EscapedChar(e, b)) return Fail();
          if (b.low == b.high && b.low.count() == 1) {
            char value = 0;
            for (int v = 0; v < 256; ++v)
              if (b.low[static_cast<std::size_t>(v)]) value = static_cast<char>(v);
            items.push_back({Kind::kChar, value, b});
          } else {
            items.push_back({Kind::kSet, e, b});
          }
        }
      } else {
        items.push_back({Kind::kChar, c, Exactly(Single(c))});
      }
    }
    Bounds all;
    bool unsure = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
      const Item& item = items[i];
      if (item.kind == Kind::kDash) {
        if (i == 0 || i + 1 == items.size()) {
          all.low.set('-');
          all.high.set('-');
        } else {
          unsure = true;  // a dash the ranges below do not account for
        }
        continue;
      }
      if (item.kind == Kind::kChar && i + 2 < items.size() && items[i + 1].kind == Kind::kDash &&
          items[i + 2].kind == Kind::kChar) {
        const char from = item.c;
        const char to = items[i + 2].c;
        // Past 0x7F the order depends on whether the engine compares chars signed; leave such ranges open.
        if (static_cast<unsigned char>(from) > 0x7F || static_cast<unsigned char>(to) > 0x7F) unsure = true;
        for (int v = 0; v < 128; ++v) {
          const char ch = static_cast<char>(v);
          if (from <= ch && ch <= to) {
            all.low.set(static_cast<std::size_t>(v));
            all.high.set(static_cast<std::size_t>(v));
          }
        }
        i += 2;
        continue;
      }
      all.low |= item.set.low;
      all.high |= item.set.high;
    }
    if (unsure) all = Unknown();
    return Consuming(negated ? ~all.low : all.high);
  }

  // "*", "+", "?", "{n}", "{n,}", "{n,m}", each optionally followed by the "?" of a lazy repeat.
  void Quantifiers(Facts& f) {
    while (More()) {
      std::size_t min = 0;
      std::size_t max = kUnbounded;
      const char c = Peek();
      if (c == '*') {
        ++at_;
      } else if (c == '+') {
        ++at_;
        min = 1;
      } else if (c == '?') {
        ++at_;
        max = 1;
      } else if (c == '{') {
        ++at_;
        if (!Number(min)) return GiveUp();
        max = min;
        if (More() && Peek() == ',') {
          ++at_;
          max = kUnbounded;
          if (More() && IsDigit(Peek()) && !Number(max)) return GiveUp();
        }
        if (!More() || Peek() != '}') return GiveUp();
        ++at_;
      } else {
        return;
      }
      if (More() && Peek() == '?') ++at_;
      Repeat(f, min, max);
    }
  }

  bool Number(std::size_t& value) {
    if (!More() || !IsDigit(Peek())) return false;
    value = 0;
    for (; More() && IsDigit(Peek()); ++at_) value = std::min<std::size_t>(value * 10 + (Peek() - '0'), 1u << 30);
    return true;
  }

  std::string_view p_;
  std::size_t at_ = 0;
  bool ok_ = true;
  std::regex_traits<char> traits_;
  std::map<std::string, ByteSet> classes_;
};

}  // namespace

PatternFacts ReadPatternFacts(std::string_view pattern, const std::locale& locale, const unsigned char* other_case) {
  Facts f;
  if (!Reader(pattern, locale).Read(f)) return {};
  PatternFacts facts;
  facts.known = true;
  facts.nullable = f.nullable;
  facts.line_start = f.line_start;
  facts.other_case = other_case;
  // Under "i" the engine takes a byte where it, or its other case, is what the pattern reads: a bracket's range
  // included (it tests the byte's lower and upper case). The prefix and the needed bytes keep the pattern's case.
  if (other_case != nullptr) {
    const ByteSet read = f.first;
    for (std::size_t b = 0; b < 256; ++b)
      if (read[b]) f.first.set(other_case[b]);
  }
  if (!f.nullable) facts.first = f.first;
  facts.prefix = f.prefix;
  facts.needed = f.must;
  if (f.lead == Facts::Lead::kKnown && !f.nullable) {
    facts.run = f.lead_run;
    facts.run_end = f.lead_end;
    facts.run_min = f.lead_min;
    if (other_case != nullptr) {
      for (std::size_t b = 0; b < 256; ++b) {
        if (f.lead_run[b]) facts.run.set(other_case[b]);
        if (f.lead_end[b]) facts.run_end.set(other_case[b]);
      }
    }
    // Both cases of a byte can fall on both sides; then the run proves nothing.
    facts.has_run = (facts.run & facts.run_end).none();
  }
  for (const char c : facts.prefix) {
    facts.needed.reset(static_cast<unsigned char>(c));
    if (other_case != nullptr) facts.needed.reset(other_case[static_cast<unsigned char>(c)]);
  }
  return facts;
}

}  // namespace hostkit::regex
