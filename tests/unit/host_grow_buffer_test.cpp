#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/grow_buffer.h"

namespace {

// A platform call that follows the length rule for a text, except that its answers to a short buffer come from
// a script (to play a platform that misreports, or a value that keeps changing between calls).
struct ScriptedCall {
  std::string text;
  std::vector<std::uint32_t> short_answers;  // used in turn while the buffer is too small; then the true size
  int calls = 0;

  std::uint32_t operator()(char* buffer, std::uint32_t size) {
    ++calls;
    if (text.size() < size) {
      std::memcpy(buffer, text.c_str(), text.size() + 1);
      return static_cast<std::uint32_t>(text.size());
    }
    const std::size_t turn = static_cast<std::size_t>(calls - 1);
    return turn < short_answers.size() ? short_answers[turn] : static_cast<std::uint32_t>(text.size() + 1);
  }
};

TEST(GrowBuffer, ReadsWhatFitsGrowsWhenAskedAndGivesUpWhenTheAnswerStalls) {
  const struct {
    const char* label;
    std::string text;
    std::vector<std::uint32_t> short_answers;
    std::uint32_t first_size;
    std::optional<std::string> expected;
    int calls;
  } cases[] = {
      {"fits at once", "cmd.exe", {}, 260, "cmd.exe", 1},
      {"one byte short of fitting", std::string(259, 'a'), {}, 260, std::string(259, 'a'), 1},
      {"exactly the buffer: one grow", std::string(260, 'b'), {}, 260, std::string(260, 'b'), 2},
      {"a long value", std::string(32766, 'c'), {}, 260, std::string(32766, 'c'), 2},
      // The stall measured under Wine: asked again with the same size, it would loop forever.
      {"answers the size it had", std::string(300, 'd'), {16, 16, 16, 16, 16}, 16, std::nullopt, 1},
      {"unset or empty", "", {}, 260, std::nullopt, 1},
      {"keeps asking for more",
       std::string(100000, 'f'),
       {32, 64, 128, 256, 512, 1024},
       16,
       std::nullopt,
       hostkit::kGrowAttempts},
      {"asks for too little once, then enough", std::string(600, 'g'), {40}, 16, std::string(600, 'g'), 3},
  };
  for (const auto& c : cases) {
    ScriptedCall call{c.text, c.short_answers};
    const auto read = hostkit::ReadGrowing([&](char* b, std::uint32_t n) { return call(b, n); }, c.first_size);
    EXPECT_EQ(read, c.expected) << c.label;
    EXPECT_EQ(call.calls, c.calls) << c.label;
  }
}

}  // namespace
