#include "regex/engine/internals.h"

#include <memory>

namespace hostkit::regex {
namespace {

// The compiled automaton is private to std::basic_regex. An explicit instantiation may name private members, so
// this hands out a pointer to it. Its state type and opcodes are the same in libstdc++ 12 and 14.
using Nfa = std::__detail::_NFA<Traits>;
using NfaPtr = std::shared_ptr<const Nfa>;

struct NfaTag {
  friend NfaPtr Regex::*MemberOf(NfaTag);
};
template <NfaPtr Regex::*member>
struct Expose {
  friend NfaPtr Regex::*MemberOf(NfaTag) { return member; }
};
template struct Expose<&Regex::_M_automaton>;

AutomatonState::Kind KindOf(std::__detail::_Opcode op) {
  using namespace std::__detail;
  using Kind = AutomatonState::Kind;
  switch (op) {
    case _S_opcode_match:
    case _S_opcode_line_begin_assertion:
    case _S_opcode_line_end_assertion:
    case _S_opcode_word_boundary:
    case _S_opcode_subexpr_lookahead:
    case _S_opcode_accept:
      return Kind::kTouch;
    case _S_opcode_backref:
      return Kind::kBackref;
    case _S_opcode_alternative:
    case _S_opcode_repeat:
      return Kind::kBranch;
    default:
      return Kind::kSilent;
  }
}

}  // namespace

Automaton ReadAutomaton(const Regex& compiled) {
  const NfaPtr& nfa = compiled.*MemberOf(NfaTag{});
  Automaton automaton;
  if (!nfa) return automaton;
  automaton.groups = nfa->_M_sub_count() > 0 ? nfa->_M_sub_count() - 1 : 0;
  automaton.states.reserve(nfa->size());
  for (const auto& s : *nfa) {
    const AutomatonState::Kind kind = KindOf(s._M_opcode());
    const bool branch = kind == AutomatonState::Kind::kBranch;
    std::int64_t group = -1;
    if (s._M_opcode() == std::__detail::_S_opcode_backref) group = static_cast<std::int64_t>(s._M_backref_index);
    if (s._M_opcode() == std::__detail::_S_opcode_subexpr_end) group = static_cast<std::int64_t>(s._M_subexpr);
    automaton.states.push_back({kind, s._M_next, branch ? static_cast<std::int64_t>(s._M_alt) : -1, group});
  }
  return automaton;
}

void EndCompile(const Regex& compiled) noexcept {
  if (const NfaPtr& nfa = compiled.*MemberOf(NfaTag{})) nfa->_M_traits.EndCompile();
}

}  // namespace hostkit::regex
