// The pointer position and the mouse buttons under Wine, through the host double's real window.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/window_driver.h"

namespace {

TEST(WindowPointer, CursorInScreenAndClientCoordinates) {
  auto& host = e2e::Host();
  POINT origin{0, 0};
  ASSERT_TRUE(ClientToScreen(host.window(), &origin));
  const POINT points[] = {{origin.x + 10, origin.y + 20},
                          {origin.x + 300, origin.y + 200},
                          {origin.x - 40, origin.y - 30},  // left of and above the client area
                          {5, 7}};
  for (const POINT p : points) {
    ASSERT_TRUE(SetCursorPos(p.x, p.y));
    for (const int screen_space : {0, 2, -1, 1000})
      EXPECT_EQ(host.Int("GetCursorX", screen_space), p.x) << "space " << screen_space;
    EXPECT_EQ(host.Int("GetCursorY", 0), p.y);
    EXPECT_EQ(host.Int("GetCursorX", 1), p.x - origin.x);
    EXPECT_EQ(host.Int("GetCursorY", 1), p.y - origin.y);
  }
  ASSERT_TRUE(SetCursorPos(origin.x - 40, origin.y + 5));
  EXPECT_LT(host.Int("GetCursorX", 1), 0);
}

// Injects mouse input and lets this thread take its messages until the mask reads as expected (or 2 s pass).
int MaskAfter(hostrun::HostDouble& host, DWORD flags, DWORD data, int expected) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  input.mi.mouseData = data;
  EXPECT_EQ(SendInput(1, &input, sizeof input), 1u);
  int mask = -1;
  for (int i = 0; i < 200 && mask != expected; ++i) {
    e2e::PumpFor(10);
    mask = host.Int("GetMouseButtons");
  }
  return mask;
}

TEST(WindowPointer, MouseButtonsAsTheThreadSeesThem) {
  auto& host = e2e::Host();
  // Over the host window's client area, above the windows of other test processes (every host double opens at
  // the same place), so the input reaches this thread's queue.
  SetWindowPos(host.window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  POINT centre{320, 240};
  ClientToScreen(host.window(), &centre);
  ASSERT_TRUE(SetCursorPos(centre.x, centre.y));
  SetForegroundWindow(host.window());
  e2e::PumpFor(20);
  EXPECT_EQ(MaskAfter(host, 0, 0, 0), 0);

  const struct {
    DWORD down, up, data;
    int expected;
  } buttons[] = {
      {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 0, 2},
      {MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON1, 8},
      {MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON2, 16},
      {MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MIDDLEUP, 0, 5},
  };
  for (const auto& b : buttons) {
    EXPECT_EQ(MaskAfter(host, b.down, b.data, b.expected), b.expected);
    EXPECT_EQ(MaskAfter(host, b.up, b.data, 0), 0) << "after releasing " << b.expected;
  }
}

}  // namespace
