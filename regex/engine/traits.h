#pragma once
// The engine's traits for the dialect: std::regex_traits<char> with the steps that cost far more than a
// character test reported to the current guard (regex/bounds/guard.h). The matcher reaches them only through these
// members, each a name the engine looks up on its traits type, so hiding the base's member is enough:
// - getloc(): the line-end test of "^" and "$" (multiline) copies the locale and looks a facet up each time;
// - lookup_classname(): "\b" and "\B" look the class "w" up by name for each character they test;
// - transform() of two text ranges: the engine compares a back-reference with the text ahead through it when
//   the traits are not std::regex_traits itself;
// - isctype() and transform_primary(): the compiler calls them for each of the 256 bytes of every bracket's
//   table, the bulk of a compile's time. They are charged as compile work, which reads the clock.
// The per-byte questions of the compiler and of class tests are answered from the dialect locale's tables
// (regex/engine/traits_tables.h) once the traits are imbued with it; with any other locale, by the base.
#include <cstring>
#include <iterator>
#include <locale>
#include <regex>

#include "regex/bounds/bounds.h"
#include "regex/bounds/guard.h"
#include "regex/engine/traits_tables.h"

namespace hostkit::regex {

class Traits : public std::regex_traits<char> {
 public:
  // A back-reference's text, or the text ahead, as the engine compares them: under "i", a byte equals itself and
  // its other case (the engine asks the traits' transform, not its own icase comparison, for traits of our own).
  struct Span {
    const char* first;
    const char* last;
    const unsigned char* other_case;
    friend bool operator==(const Span& a, const Span& b) {
      const std::size_t n = static_cast<std::size_t>(a.last - a.first);
      Guard::ChargeCurrent(static_cast<std::int64_t>(n) * bounds::kBackrefByteCost);
      if (n != static_cast<std::size_t>(b.last - b.first)) return false;
      if (a.other_case == nullptr) return std::memcmp(a.first, b.first, n) == 0;
      for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a.first[i]);
        const auto y = static_cast<unsigned char>(b.first[i]);
        if (x != y && a.other_case[x] != y) return false;
      }
      return true;
    }
  };

  // The engine imbues the traits of each automaton as its compile starts, on the compiling thread: the compile's
  // calls charge that thread's guard, found once here (a thread-local look-up per call, emulated by MinGW, cost
  // 40% of compiling a pattern with two brackets under Wine).
  locale_type imbue(locale_type loc) {
    tables_ = TablesFor(loc);
    compiling_ = Guard::Current();
    return regex_traits::imbue(loc);
  }

  // Called once the automaton is compiled (regex/engine/internals.h, EndCompile): later calls, a match's word-boundary
  // tests on whatever thread, charge the guard of their own thread.
  void EndCompile() const noexcept { compiling_ = nullptr; }

  char_type translate_nocase(char_type c) const {
    return tables_ != nullptr ? tables_->lower[static_cast<unsigned char>(c)] : regex_traits::translate_nocase(c);
  }

  int value(char_type c, int radix) const {
    const std::int8_t* digits = tables_ != nullptr ? tables_->DigitsOf(radix) : nullptr;
    return digits != nullptr ? digits[static_cast<unsigned char>(c)] : regex_traits::value(c, radix);
  }

  locale_type getloc() const {
    Guard::ChargeCurrent(bounds::kLineTestCost);
    return regex_traits::getloc();
  }

  template <class FwdIt>
  char_class_type lookup_classname(FwdIt first, FwdIt last, bool icase = false) const {
    Guard::ChargeCurrent(bounds::kClassLookupCost);
    return regex_traits::lookup_classname(first, last, icase);
  }

  bool isctype(char_type c, char_class_type f) const {
    ChargeCompile();
    return tables_ != nullptr ? tables_->IsCtype(c, f) : regex_traits::isctype(c, f);
  }

  template <class FwdIt>
  string_type transform_primary(FwdIt first, FwdIt last) const {
    ChargeCompile();
    if (tables_ != nullptr && first != last && std::next(first) == last)
      return tables_->primary[static_cast<unsigned char>(*first)];
    return regex_traits::transform_primary(first, last);
  }

  // Under "i" the text of a plain iterator compares folded too, as a GuardedIter's Span does: the tests and the
  // fuzzer walk plain pointers, and libstdc++ compares back-references through transform (the compiler calls it
  // only for collating ranges, which the dialect does not ask for).
  template <class FwdIt>
  string_type transform(FwdIt first, FwdIt last) const {
    if (tables_ == nullptr || tables_->other_case == nullptr) return regex_traits::transform(first, last);
    string_type folded(first, last);
    for (char& c : folded) c = tables_->lower[static_cast<unsigned char>(c)];
    return folded;
  }
  Span transform(GuardedIter first, GuardedIter last) const {
    return {first.base(), last.base(), tables_ != nullptr ? tables_->other_case : nullptr};
  }

 private:
  void ChargeCompile() const {
    if (compiling_ != nullptr)
      compiling_->ChargeCompile(bounds::kCompileCallCost);
    else
      Guard::ChargeCompileCurrent(bounds::kCompileCallCost);
  }

  const TraitsTables* tables_ = nullptr;
  mutable Guard* compiling_ = nullptr;  // the compiling thread's guard until EndCompile
};

using Regex = std::basic_regex<char, Traits>;

}  // namespace hostkit::regex
