// Cutting an answer to its byte bound at a character boundary, under a double-byte code page and a single-byte one.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/byte_cut.h"

namespace {

using hostkit::dialogs::CutLength;
using hostkit::dialogs::LeadBytes;

// Shift-JIS-like: lead bytes 0x81-0x9F and 0xE0-0xFC; trail bytes include ASCII letters and other lead values.
LeadBytes DoubleByteLeads() {
  LeadBytes lead{};
  for (int b = 0x81; b <= 0x9F; ++b) lead[b] = true;
  for (int b = 0xE0; b <= 0xFC; ++b) lead[b] = true;
  return lead;
}

TEST(ByteCut, CutsAtTheLastWholeCharacterWithinTheBound) {
  const LeadBytes dbcs = DoubleByteLeads();
  const LeadBytes single{};
  // 32,767 double-byte characters: what a field that limits characters lets a player type.
  std::string longest;
  for (int i = 0; i < 32767; ++i) longest += "\x82\xA0";
  struct Case {
    const char* name;
    std::string text;
    std::size_t max;
    const LeadBytes& lead;
    std::size_t length;
  };
  const std::string pair = "\x82\xA0";  // one double-byte character
  const Case cases[] = {
      {"fits whole", pair + "ab", 4, dbcs, 4},
      {"a pair across the bound stays out", "ab" + pair, 3, dbcs, 2},
      {"a pair just inside", "ab" + pair + "c", 4, dbcs, 4},
      {"a trail byte that looks like a lead", "\x81\x81\x81\x81", 3, dbcs, 2},
      {"a trail byte that looks like ASCII", "\x82" + std::string("A\x82") + "A", 3, dbcs, 2},
      {"single bytes between pairs", "a" + pair + "b" + pair, 5, dbcs, 4},
      {"a lone lead byte at the end", "ab\x82", 2, dbcs, 2},
      {"bound zero", pair, 0, dbcs, 0},
      {"the longest answer typed", longest, 32767, dbcs, 32766},
      {"the longest answer after one single byte", "x" + longest, 32767, dbcs, 32767},
      {"single-byte page cuts anywhere", pair + pair, 3, single, 3},
  };
  for (const Case& c : cases) EXPECT_EQ(CutLength(c.text, c.max, c.lead), c.length) << c.name;
}

}  // namespace
