#include <gtest/gtest.h>

#include "window/mouse_buttons.h"

namespace {

using hostkit::window::MouseButtonMask;

// The key states the fake query answers, indexed by virtual key.
short g_states[8] = {};
short FakeKeyState(int virtual_key) { return virtual_key >= 0 && virtual_key < 8 ? g_states[virtual_key] : 0; }

TEST(WindowMouseButtons, EachButtonsTopBitSetsItsOwnBit) {
  const short kDown = static_cast<short>(0x8000);
  const struct {
    int virtual_key;
    short state;
    int expected;
  } cases[] = {
      {0x01, kDown, 1},
      {0x02, kDown, 2},
      {0x04, kDown, 4},
      {0x05, kDown, 8},
      {0x06, kDown, 16},
      {0x03, kDown, 0},                       // VK_CANCEL is no button
      {0x01, 0x0001, 0},                      // the toggle bit alone is not "down"
      {0x01, static_cast<short>(0xFF80), 1},  // any answer with the top bit set is down
      {0x07, kDown, 0},
  };
  for (const auto& c : cases) {
    for (short& s : g_states) s = 0;
    g_states[c.virtual_key] = c.state;
    EXPECT_EQ(MouseButtonMask(&FakeKeyState), c.expected) << "key " << c.virtual_key << " state " << c.state;
  }
}

TEST(WindowMouseButtons, ButtonsCombine) {
  for (short& s : g_states) s = 0;
  EXPECT_EQ(MouseButtonMask(&FakeKeyState), 0);
  g_states[0x01] = g_states[0x04] = static_cast<short>(0x8001);
  EXPECT_EQ(MouseButtonMask(&FakeKeyState), 5);
  g_states[0x02] = g_states[0x05] = g_states[0x06] = static_cast<short>(0x8000);
  EXPECT_EQ(MouseButtonMask(&FakeKeyState), 31);
}

}  // namespace
