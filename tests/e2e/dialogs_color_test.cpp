// The colour dialog under Wine: initial colour, answer, owner, and the custom colours both ways.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/e2e/harness/dialog_driver.h"
#include "tests/e2e/harness/host.h"

namespace {

constexpr int kRed = 0x2C2, kGreen = 0x2C3, kBlue = 0x2C4;
constexpr int kAddToCustom = 0x2C8;
constexpr int kCustomGrid = 0x2D1;  // 2 rows of 8 boxes

int RunColourDialog(int initial, const std::function<void(HWND)>& drive) {
  int answer = -7;
  e2e::WithHelper(
      [&] {
        const HWND dialog = e2e::WaitForDialog(e2e::OwnedBy("#32770", e2e::Host().window()));
        ASSERT_NE(dialog, nullptr) << "no colour dialog owned by the host window";
        drive(dialog);
      },
      [&] { answer = e2e::Host().Int("OpenColorDialog", initial); });
  return answer;
}

// The colour painted in the middle of the first custom box. The dialog paints the custom colours into the grid from
// its own WM_PAINT, and the grid (a plain static) fills itself with its background in its own: read right after the
// grid's paint, the box was blank now and then (seen under Wine 10, even with the grid painted first and the dialog
// alone after it). So the grid paints, then the dialog alone, and a box that does not show the colour looked for yet
// is read again, for up to a second.
COLORREF FirstCustomBox(HWND dialog, COLORREF looked_for) {
  const HWND grid = GetDlgItem(dialog, kCustomGrid);
  COLORREF c = CLR_INVALID;
  for (int attempt = 0; attempt < 40; ++attempt) {
    UpdateWindow(grid);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
    RECT r{};
    GetClientRect(grid, &r);
    const HDC dc = GetDC(grid);
    c = GetPixel(dc, r.right / 16, r.bottom / 4);
    ReleaseDC(grid, dc);
    if (c == looked_for) break;
    Sleep(25);
  }
  return c;
}

TEST(DialogsColour, OpensOnTheGivenColourWithTheHostDisabledAndAnswersIt) {
  hostrun::HostDouble& host = e2e::Host();
  std::string rgb;
  bool host_enabled = true;
  EXPECT_EQ(RunColourDialog(0x0000FF,
                            [&](HWND d) {
                              rgb = e2e::ControlText(d, kRed) + "," + e2e::ControlText(d, kGreen) + "," +
                                    e2e::ControlText(d, kBlue);
                              host_enabled = IsWindowEnabled(e2e::Host().window()) != 0;
                              e2e::PressButton(d, IDOK);
                            }),
            255);
  EXPECT_EQ(rgb, "255,0,0");
  EXPECT_FALSE(host_enabled) << "the owner is disabled while the dialog runs";
  EXPECT_TRUE(IsWindowEnabled(host.window()));
  EXPECT_EQ(RunColourDialog(0x123456, [](HWND d) { e2e::PressButton(d, IDCANCEL); }), 0);
}

TEST(DialogsColour, CustomColoursGoIntoTheDialogAndComeBackOut) {
  hostrun::HostDouble& host = e2e::Host();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(host.Int("GetCustomColor", i), 0) << i;
  host.Run("SetCustomColor", 0, 0x00FF00);
  host.Run("SetCustomColor", 15, 0x00ABCDEF);
  for (const int bad : {16, -1}) {
    host.Run("SetCustomColor", bad, 0x00FFFFFF);
    EXPECT_EQ(host.Int("GetCustomColor", bad), 0) << bad;
  }
  COLORREF shown = 0;
  RunColourDialog(0, [&](HWND d) {
    shown = FirstCustomBox(d, RGB(0, 255, 0));
    // Define a colour in the dialog and add it to the custom boxes (Wine adds it to the first).
    e2e::SetControlText(d, kRed, "10");
    e2e::SetControlText(d, kGreen, "20");
    e2e::SetControlText(d, kBlue, "30");
    e2e::PressButton(d, kAddToCustom);
    e2e::PressButton(d, IDCANCEL);
  });
  EXPECT_EQ(shown, RGB(0, 255, 0)) << "the first custom box shows the script's green";
  EXPECT_EQ(host.Int("GetCustomColor", 0), static_cast<int>(RGB(10, 20, 30)));
  EXPECT_EQ(host.Int("GetCustomColor", 15), 0x00ABCDEF);
  for (int i = 1; i < 15; ++i) EXPECT_EQ(host.Int("GetCustomColor", i), 0) << i;
}

}  // namespace
