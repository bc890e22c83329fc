#include <gtest/gtest.h>

#include <string>

#include "window/clipboard_block.h"

namespace {

using hostkit::window::TextInBlock;

// Another program's block may lack its terminator or end in half a unit: the read stays inside the block.
TEST(ClipboardBlock, TheTextEndsAtItsTerminatorOrAtTheBlocksLastWholeUnit) {
  const char bytes[] = {'a', 'b', 'c', 'd'};  // no terminator
  const struct {
    std::size_t size;
    std::string text;
  } narrow[] = {{4, "abcd"}, {2, "ab"}, {0, ""}};
  for (const auto& c : narrow) EXPECT_EQ(TextInBlock<char>(bytes, c.size), c.text) << c.size;
  const char terminated[] = "ab\0cd";
  EXPECT_EQ(TextInBlock<char>(terminated, sizeof terminated), "ab");
  EXPECT_EQ(TextInBlock<char>(nullptr, 100), "");

  const char16_t units[] = {u'x', u'y', u'z'};  // no terminator
  const struct {
    std::size_t size;
    std::u16string text;
  } wide[] = {{6, u"xyz"}, {5, u"xy"}, {1, u""}};
  for (const auto& c : wide) EXPECT_EQ(TextInBlock<char16_t>(units, c.size), c.text) << c.size;
  const char16_t wide_terminated[] = u"x\0y";
  EXPECT_EQ(TextInBlock<char16_t>(wide_terminated, sizeof wide_terminated), u"x");
}

}  // namespace
