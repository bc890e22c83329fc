// Style and placement of the host double's real window under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "host/win_handle.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"
#include "tests/e2e/harness/window_driver.h"

namespace {

// A visible top-level window of this process that is not the host window, created above it.
hostkit::win::UniqueWindow MakeSibling() { return e2e::MakeWindow("SiblingWindow", {300, 300, 500, 450}); }

// Position in the top-level stacking order, 0 at the top; -1 when absent.
int StackIndex(HWND window) {
  int index = 0;
  for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT), ++index)
    if (w == window) return index;
  return -1;
}

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right, client.bottom};
}

// The client size the platform computes for an outer rectangle with this style and extended style.
SIZE ExpectedClientSize(const RECT& outer, LONG style, LONG ex_style) {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(ex_style));
  return {(outer.right - outer.left) - (frame.right - frame.left),
          (outer.bottom - outer.top) - (frame.bottom - frame.top)};
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(WindowStyle, StylesChangeTheFrameButNotPlaceSizeOrStacking) {
  auto& host = e2e::Host();
  const HWND window = host.window();
  auto sibling = MakeSibling();
  hostrun::HostDouble::Pump();
  const RECT outer = e2e::WindowRect(window);
  ASSERT_LT(StackIndex(sibling.get()), StackIndex(window)) << "the sibling starts above the host window";

  const DWORD kVisible = WS_VISIBLE | WS_CLIPSIBLINGS;
  const DWORD styles[] = {WS_POPUP | kVisible, WS_CAPTION | WS_SYSMENU | kVisible, WS_POPUP | WS_BORDER | kVisible,
                          WS_OVERLAPPEDWINDOW | kVisible};
  for (const DWORD unsigned_style : styles) {
    const LONG style = static_cast<LONG>(unsigned_style);
    host.Run("SetWindowStyle", static_cast<int>(style));
    hostrun::HostDouble::Pump();
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), style);
    EXPECT_TRUE(SameRect(e2e::WindowRect(window), outer)) << std::hex << style;
    // The frame was recomputed at once: the client area fits the new style.
    const SIZE client = ClientSize(window);
    const SIZE expected = ExpectedClientSize(outer, style, GetWindowLongA(window, GWL_EXSTYLE));
    EXPECT_EQ(client.cx, expected.cx) << std::hex << style;
    EXPECT_EQ(client.cy, expected.cy) << std::hex << style;
    EXPECT_LT(StackIndex(sibling.get()), StackIndex(window)) << "restacked by style " << std::hex << style;
  }

  const LONG ex_styles[] = {WS_EX_CLIENTEDGE, WS_EX_TOOLWINDOW, WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW, 0};
  for (const LONG ex_style : ex_styles) {
    host.Run("SetWindowExStyle", static_cast<int>(ex_style));
    hostrun::HostDouble::Pump();
    const LONG got = GetWindowLongA(window, GWL_EXSTYLE);
    EXPECT_EQ(got & (WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW), ex_style);
    EXPECT_TRUE(SameRect(e2e::WindowRect(window), outer)) << std::hex << ex_style;
    const SIZE client = ClientSize(window);
    const SIZE expected = ExpectedClientSize(outer, GetWindowLongA(window, GWL_STYLE), got);
    EXPECT_EQ(client.cx, expected.cx) << std::hex << ex_style;
    EXPECT_EQ(client.cy, expected.cy) << std::hex << ex_style;
    // The fixed insert-after value is HWND_TOPMOST, which the flags must keep from taking effect.
    EXPECT_FALSE(e2e::IsTopmost(window)) << std::hex << ex_style;
    EXPECT_LT(StackIndex(sibling.get()), StackIndex(window)) << "restacked by extended style " << std::hex << ex_style;
  }
}

TEST(WindowPosition, SetWindowPositionPassesEverythingThroughAndTheEdgesFollow) {
  auto& host = e2e::Host();
  const HWND window = host.window();
  const struct {
    int x, y, after, width, height, flags;
    RECT expected;  // from the rectangle before the call: left, top, width, height
    bool keep_size;
  } cases[] = {
      {150, 80, 0, 999, 999, SWP_NOSIZE | SWP_NOZORDER, {150, 80, 0, 0}, true},
      {-200, 30, 0, 300, 200, SWP_NOZORDER, {-200, 30, 300, 200}, false},  // a monitor to the left
      {10, 20, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER, {-200, 30, 400, 300}, false},
      {120, 70, 0, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE, {120, 70, 640, 480}, false},
  };
  for (const auto& c : cases) {
    const RECT before = e2e::WindowRect(window);
    host.Run("SetWindowPosition", c.x, c.y, c.after, c.width, c.height, c.flags);
    const RECT after = e2e::WindowRect(window);
    const LONG width = c.keep_size ? before.right - before.left : c.expected.right;
    const LONG height = c.keep_size ? before.bottom - before.top : c.expected.bottom;
    EXPECT_EQ(after.left, c.expected.left) << c.x;
    EXPECT_EQ(after.top, c.expected.top) << c.y;
    EXPECT_EQ(after.right - after.left, width) << c.x;
    EXPECT_EQ(after.bottom - after.top, height) << c.x;
    EXPECT_EQ(host.Int("GetWindowX"), after.left);
    EXPECT_EQ(host.Int("GetWindowY"), after.top);
  }

  // The insert-after value reaches the platform: HWND_TOPMOST, then HWND_NOTOPMOST.
  host.Run("SetWindowPosition", 0, 0, -1, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(e2e::IsTopmost(window));
  host.Run("SetWindowPosition", 0, 0, -2, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_FALSE(e2e::IsTopmost(window));
  EXPECT_EQ(host.Int("GetWindowX"), 120);
}

TEST(WindowPosition, WithoutAHostWindowSettersDoNothingAndGettersGiveMinusOne) {
  auto& host = e2e::Host();  // a window of this process, which the child must leave alone
  const HWND window = host.window();
  const RECT outer = e2e::WindowRect(window);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const LONG ex_style = GetWindowLongA(window, GWL_EXSTYLE);
  ASSERT_TRUE(SetCursorPos(321, 234));

  const auto run = e2e::RunHostrun("--no-window -",
                                   "SetWindowStyle 0x80000000\n"
                                   "SetWindowExStyle 0x208\n"
                                   "SetWindowPosition 1 2 -1 3 4 0\n"
                                   "GetWindowX\nGetWindowY\n"
                                   "GetCursorX 1\nGetCursorY 1\nGetCursorX 0\n");
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.out, "-1\n-1\n321\n234\n321\n");
  EXPECT_TRUE(SameRect(e2e::WindowRect(window), outer));
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), style);
  EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE), ex_style);
}

}  // namespace
