#include "regex/skip/start_filter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace hostkit::regex {
namespace {

// memchr a word at a time, inline: Wine's msvcrt memchr goes a byte at a time (0.3 to 0.4 ms a megabyte measured,
// this 0.13), and the line-start scan calls it once a line, where a call through the import costs more than the
// line.
const char* FindByte(const char* from, const char* end, char c) {
  using Word = std::uintptr_t;
  constexpr Word kOnes = ~Word{0} / 0xFF;  // 0x0101...
  constexpr Word kHighs = kOnes << 7;      // 0x8080...
  const Word pattern = kOnes * static_cast<unsigned char>(c);
  const char* p = from;
  for (; end - p >= static_cast<std::ptrdiff_t>(sizeof(Word)); p += sizeof(Word)) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    w ^= pattern;
    if (((w - kOnes) & ~w & kHighs) != 0) break;  // some byte of w is zero: c is in this word
  }
  for (; p != end; ++p)
    if (*p == c) return p;
  return nullptr;
}

// The first of c and d in [from, end): FindByte's word test for two bytes at once (d == c is c alone).
const char* FindEither(const char* from, const char* end, char c, char d) {
  if (c == d) return FindByte(from, end, c);
  using Word = std::uintptr_t;
  constexpr Word kOnes = ~Word{0} / 0xFF;
  constexpr Word kHighs = kOnes << 7;
  const Word pc = kOnes * static_cast<unsigned char>(c);
  const Word pd = kOnes * static_cast<unsigned char>(d);
  const char* p = from;
  for (; end - p >= static_cast<std::ptrdiff_t>(sizeof(Word)); p += sizeof(Word)) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    const Word a = w ^ pc;
    const Word b = w ^ pd;
    if ((((a - kOnes) & ~a) | ((b - kOnes) & ~b)) & kHighs) break;
  }
  for (; p != end; ++p)
    if (*p == c || *p == d) return p;
  return nullptr;
}

// How often a byte turns up in prose, roughly; breaks ties between bytes equally rare in the sample.
int Commonness(unsigned char b) {
  static constexpr char kLetters[] = "etaoinshrdlcumwfgypbvkjxqz";  // most common first
  if (b == ' ') return 100;
  for (int i = 0; kLetters[i] != '\0'; ++i)
    if (kLetters[i] == b) return 90 - 3 * i;
  if (b == '\n' || b == '.' || b == ',' || b == '\r') return 15;
  if (b >= '0' && b <= '9') return 8;
  if (b >= 'A' && b <= 'Z') return 6;
  return b >= 0x80 || b < 0x20 ? 1 : 3;
}

// Four slices of 1 KB spread over the text: enough to tell a byte that turns up on every line from a rare one.
constexpr std::size_t kSamples = 4;
constexpr std::size_t kSampleBytes = 1024;

std::array<std::uint32_t, 256> Sample(std::string_view text) {
  std::array<std::uint32_t, 256> counts{};
  const std::size_t step = text.size() / kSamples;
  for (std::size_t s = 0; s < kSamples; ++s)
    for (const char c : text.substr(s * step, kSampleBytes)) ++counts[static_cast<unsigned char>(c)];
  return counts;
}

}  // namespace

StartFilter::StartFilter(const PatternFacts& facts, std::string_view text)
    : skips_(facts.known && (facts.line_start || !facts.nullable)),
      nullable_(facts.nullable),
      line_start_(facts.line_start),
      prefix_(facts.prefix),
      other_case_(facts.other_case) {
  for (std::size_t b = 0; b < 256; ++b) table_[b] = facts.first[b];
  runs_ = skips_ && facts.has_run && prefix_.empty() && !line_start_;
  if (runs_) {
    run_min_ = facts.run_min;
    int ends = 0;
    for (std::size_t b = 0; b < 256; ++b) {
      run_[b] = facts.run[b];
      run_end_[b] = facts.run_end[b];
      if (run_end_[b] && ends++ < 2) run_ends_[ends - 1] = static_cast<int>(b);
    }
    if (ends > 2) run_ends_[0] = run_ends_[1] = -1;
    if (ends == 1) run_ends_[1] = run_ends_[0];
  }
  if (!skips_ || (prefix_.size() < 2 && facts.needed.count() < 2)) {
    for (int b = 0; b < 256; ++b)
      if (facts.needed[static_cast<std::size_t>(b)]) needed_ = b;
    return;
  }
  const std::array<std::uint32_t, 256> counts = Sample(text);
  scanned_ += std::min(text.size(), kSamples * kSampleBytes);
  // Under "i" a byte is found in either case, so it is as rare as both cases together.
  auto count = [&](unsigned char b) { return counts[b] + (Other(b) != b ? counts[Other(b)] : 0); };
  auto rarer = [&](unsigned char a, unsigned char b) {
    return count(a) != count(b) ? count(a) < count(b) : Commonness(a) < Commonness(b);
  };
  for (std::size_t i = 1; i < prefix_.size(); ++i)
    if (rarer(static_cast<unsigned char>(prefix_[i]), static_cast<unsigned char>(prefix_[rare_]))) rare_ = i;
  for (int b = 0; b < 256; ++b)
    if (facts.needed[static_cast<std::size_t>(b)] &&
        (needed_ < 0 || rarer(static_cast<unsigned char>(b), static_cast<unsigned char>(needed_))))
      needed_ = b;
}

const char* StartFilter::Next(const char* at, const char* search_start, const char* end) {
  // A walk that has tried the end itself asks for the place after it: there is none, and nothing is read.
  if (at > end) return nullptr;
  if (!skips_) return at;
  if (needed_ >= 0 && !NeededAhead(at, end)) return nullptr;
  if (line_start_) return NextLineStart(at, search_start, end);
  return runs_ ? NextRunStart(at, end) : NextStart(at, end);
}

std::size_t StartFilter::TakeScanned() noexcept {
  const std::size_t n = scanned_;
  scanned_ = 0;
  return n;
}

bool StartFilter::Fits(const char* at, const char* end) const {
  if (nullable_) return true;
  if (at == end || !table_[static_cast<unsigned char>(*at)]) return false;
  return prefix_.size() <= static_cast<std::size_t>(end - at) && PrefixAt(at);
}

bool StartFilter::PrefixAt(const char* at) const {
  if (other_case_ == nullptr) return std::memcmp(at, prefix_.data(), prefix_.size()) == 0;
  for (std::size_t i = 0; i < prefix_.size(); ++i) {
    const auto want = static_cast<unsigned char>(prefix_[i]);
    const auto have = static_cast<unsigned char>(at[i]);
    if (have != want && have != other_case_[want]) return false;
  }
  return true;
}

const char* StartFilter::NextStart(const char* at, const char* end) {
  const std::size_t n = prefix_.size();
  if (n > 0) {
    // The prefix's rarest byte first (memchr), then the whole prefix where it turns up.
    if (static_cast<std::size_t>(end - at) < n) return nullptr;
    const char rare = prefix_[rare_];
    const char rare_other = static_cast<char>(Other(static_cast<unsigned char>(rare)));
    const char* const last = end - (n - 1 - rare_);  // the rare byte of a whole prefix lies before this
    for (const char* from = at + rare_; from < last;) {
      const char* const hit = FindEither(from, last, rare, rare_other);
      scanned_ += static_cast<std::size_t>((hit != nullptr ? hit + 1 : last) - from);
      if (hit == nullptr) return nullptr;
      const char* const start = hit - rare_;
      if (PrefixAt(start)) return start;
      from = hit + 1;
    }
    return nullptr;
  }
  for (const char* p = at; p < end; ++p) {
    if (table_[static_cast<unsigned char>(*p)]) {
      scanned_ += static_cast<std::size_t>(p - at) + 1;
      return p;
    }
  }
  scanned_ += static_cast<std::size_t>(end - at);
  return nullptr;
}

// A match starts inside a stretch of run bytes and the stretch ends at an end byte: find the next end byte, and the
// match can start no earlier than where the stretch before it begins. A place between at and that stretch has a
// stretch of its own that ends before the end byte, at a byte that is no end byte.
const char* StartFilter::NextRunStart(const char* at, const char* end) {
  for (const char* from = at; from < end;) {
    const char* stop = nullptr;
    if (run_ends_[0] >= 0) {
      stop = FindEither(from, end, static_cast<char>(run_ends_[0]), static_cast<char>(run_ends_[1]));
    } else {
      for (const char* p = from; p < end && stop == nullptr; ++p)
        if (run_end_[static_cast<unsigned char>(*p)]) stop = p;
    }
    scanned_ += static_cast<std::size_t>((stop != nullptr ? stop + 1 : end) - from);
    if (stop == nullptr) return nullptr;
    const char* start = stop;
    while (start > at && run_[static_cast<unsigned char>(start[-1])]) --start;
    scanned_ += static_cast<std::size_t>(stop - start);
    if (static_cast<std::size_t>(stop - start) >= run_min_) return start;
    from = stop + 1;
  }
  return nullptr;
}

// The dialect's "^" holds after a line feed only (a carriage return is no line end), and at the start of a search
// that sees no byte before it; the search's start is always tried.
const char* StartFilter::NextLineStart(const char* at, const char* search_start, const char* end) {
  const char* p = at;
  if (p != search_start) {
    const char* const feed = FindByte(p - 1, end, '\n');
    scanned_ += static_cast<std::size_t>((feed != nullptr ? feed + 1 : end) - (p - 1));
    if (feed == nullptr) return nullptr;
    p = feed + 1;
  }
  while (!Fits(p, end)) {
    if (p == end) return nullptr;
    const char* const feed = FindByte(p, end, '\n');
    scanned_ += static_cast<std::size_t>((feed != nullptr ? feed + 1 : end) - p);
    if (feed == nullptr) return nullptr;
    p = feed + 1;
  }
  return p;
}

bool StartFilter::NeededAhead(const char* at, const char* end) {
  const bool known = needed_from_ != nullptr && at >= needed_from_ && (needed_at_ == nullptr || at <= needed_at_);
  if (!known) {
    needed_from_ = at;
    needed_at_ =
        FindEither(at, end, static_cast<char>(needed_), static_cast<char>(Other(static_cast<unsigned char>(needed_))));
    scanned_ += static_cast<std::size_t>((needed_at_ != nullptr ? needed_at_ + 1 : end) - at);
  }
  return needed_at_ != nullptr;
}

}  // namespace hostkit::regex
