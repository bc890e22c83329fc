// Where every dialog of the subsystem opens: the screen corner by default, an offset from the host window, or
// centred (on the screen, or on the owner for the colour dialog) - always on screen, and topmost. Also run on two
// monitors by tools/wine/two-monitors.sh (wine.two_monitors).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

#include "tests/e2e/harness/dialog_driver.h"
#include "tests/e2e/harness/host.h"

namespace {

struct Opener {
  const char* name;
  const char* window_class;
  std::function<void(hostrun::HostDouble&)> open;
  bool centred_on_owner;  // the colour dialog centres on the host window, the others on the screen
  // A tolerance for Wine, in the manner of its own tests' broken(): Wine 8 ignores HWND_TOPMOST for the folder
  // browser, whose window lacks WS_POPUP (measured: even a SetWindowPos from outside leaves WS_EX_TOPMOST
  // clear). A dialog so marked that is not topmost must at least stand above the host window.
  bool wine_ignores_topmost = false;
  // Another: Wine 8 gives a sizeable file dialog the size of the previous one after CDN_INITDONE, so after it was
  // placed (measured: a save dialog after an open one grew by 26 px at 96 DPI and 36 px at 144 DPI). A corner
  // kept off the work area's far edge is then off by that growth.
  long wine_grows_after_placement_px = 0;
};

constexpr long kWineToleranceFileDialogGrowthPx = 40;

const Opener kOpeners[] = {
    {"open", "#32770", [](hostrun::HostDouble& h) { h.Str("ChooseFileDialog", "Open one", "All|*.*", 0); }, false,
     false, kWineToleranceFileDialogGrowthPx},
    {"save", "#32770", [](hostrun::HostDouble& h) { h.Str("SaveAsDialog", "Save one", "All|*.*"); }, false, false,
     kWineToleranceFileDialogGrowthPx},
    {"folder", "#32770", [](hostrun::HostDouble& h) { h.Str("BrowseFolderDialog", "Folder", ""); }, false, true},
    {"colour", "#32770", [](hostrun::HostDouble& h) { h.Int("OpenColorDialog", 0); }, true},
    {"picker", "DateTimeDlg", [](hostrun::HostDouble& h) { h.Int("OpenDateTimePicker", ""); }, false},
};

struct Seen {
  RECT rect{};
  bool topmost = false;
  bool above_host = false;
};

bool Above(HWND window, HWND other) {
  for (HWND w = GetWindow(window, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
    if (w == other) return true;
  return false;
}

void ExpectOnTop(const Opener& opener, const Seen& seen) {
  if (opener.wine_ignores_topmost && !seen.topmost) {
    EXPECT_TRUE(seen.above_host) << opener.name;
    return;
  }
  EXPECT_TRUE(seen.topmost) << opener.name;
}

// Opens the dialog, notes where it stands once it is built, and cancels it.
Seen Observe(const Opener& opener) {
  Seen seen;
  e2e::WithHelper(
      [&] {
        const HWND dialog = e2e::WaitForDialog(e2e::OfClass(opener.window_class));
        ASSERT_NE(dialog, nullptr) << opener.name;
        Sleep(30);  // let a deferred re-centring run (file dialogs) before reading the rectangle
        ASSERT_TRUE(e2e::WaitUntilIdle(dialog));
        seen.above_host = Above(dialog, e2e::Host().window());
        seen.rect = e2e::WindowRect(dialog);
        seen.topmost = e2e::IsTopmost(dialog);
        e2e::PressButton(dialog, IDCANCEL);
      },
      [&] { opener.open(e2e::Host()); });
  return seen;
}

// Runs first in its process (CTest gives every test its own), before anything sets the position.
TEST(DialogsPlacement, EveryDialogOpensAtTheScreenCornerUntilAPositionIsSet) {
  for (const Opener& opener : kOpeners) {
    const Seen seen = Observe(opener);
    EXPECT_EQ(seen.rect.left, 0) << opener.name;
    EXPECT_EQ(seen.rect.top, 0) << opener.name;
    ExpectOnTop(opener, seen);
  }
}

TEST(DialogsPlacement, APositionIsAnOffsetFromTheHostWindowFixedWhenSet) {
  hostrun::HostDouble& host = e2e::Host();
  e2e::MoveWindowTo(host.window(), 100, 50);
  host.Run("SetDialogPosition", 10, 20);
  e2e::MoveWindowTo(host.window(), 300, 300);  // a later move of the host changes nothing
  for (const Opener& opener : kOpeners) {
    const Seen seen = Observe(opener);
    EXPECT_EQ(seen.rect.left, 110) << opener.name;
    EXPECT_EQ(seen.rect.top, 70) << opener.name;
    ExpectOnTop(opener, seen);
  }
  // (-1, -1) away from the screen corner is an ordinary offset: (99, 49), not centred.
  e2e::MoveWindowTo(host.window(), 100, 50);
  host.Run("SetDialogPosition", -1, -1);
  const Seen seen = Observe(kOpeners[0]);
  EXPECT_EQ(seen.rect.left, 99);
  EXPECT_EQ(seen.rect.top, 49);
  e2e::MoveWindowTo(host.window(), 100, 50);
}

MONITORINFO MonitorOf(HMONITOR monitor) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  EXPECT_TRUE(GetMonitorInfoA(monitor, &info));
  return info;
}

// Where one edge of a dialog goes along one axis: kept where the dialog fits there, else on the work area's edge.
long KeptEdge(long at, long extent, long low, long high) {
  if (at < low) return low;
  if (at + extent > high) return std::max(low, high - extent);
  return at;
}

TEST(DialogsPlacement, TheMarkerCentresTheDialogsAndKeepsThePickerOnScreen) {
  hostrun::HostDouble& host = e2e::Host();
  e2e::MoveWindowTo(host.window(), 0, 0);
  host.Run("SetDialogPosition", -1, -1);
  const RECT screen = e2e::WindowRect(GetDesktopWindow());
  const RECT owner = e2e::WindowRect(host.window());
  for (const Opener& opener : kOpeners) {
    const Seen seen = Observe(opener);
    ExpectOnTop(opener, seen);
    const RECT work = MonitorOf(MonitorFromWindow(host.window(), MONITOR_DEFAULTTONEAREST)).rcWork;
    const long width = seen.rect.right - seen.rect.left, height = seen.rect.bottom - seen.rect.top;
    if (std::string(opener.window_class) == "DateTimeDlg") {
      // (-1, -1) is a place like any other for the picker: one pixel off the screen, moved onto it.
      EXPECT_EQ(seen.rect.left, KeptEdge(-1, width, work.left, work.right));
      EXPECT_EQ(seen.rect.top, KeptEdge(-1, height, work.top, work.bottom));
      continue;
    }
    // Centred on the frame (a dialog larger than the host window would stand out of the screen's top-left
    // corner), then kept inside the frame's monitor's work area.
    const RECT frame = opener.centred_on_owner ? owner : screen;
    EXPECT_EQ(seen.rect.left, KeptEdge((frame.left + frame.right - width) / 2, width, work.left, work.right))
        << opener.name;
    EXPECT_EQ(seen.rect.top, KeptEdge((frame.top + frame.bottom - height) / 2, height, work.top, work.bottom))
        << opener.name;
  }
  e2e::MoveWindowTo(host.window(), 100, 50);
}

// A dialog placed off every monitor would leave a modal game waiting for an answer nobody can see: it goes into
// the work area of the monitor nearest to where it would have been, moved only as far as needed. Wine puts both
// monitors of the two-monitor display at 0,0, so there the nearest is the one reaching furthest toward the spot.
TEST(DialogsPlacement, ADialogOffEveryMonitorIsKeptInsideTheNearestWorkArea) {
  hostrun::HostDouble& host = e2e::Host();
  e2e::MoveWindowTo(host.window(), 100, 50);
  const RECT primary = MonitorOf(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY)).rcWork;
  const struct {
    const char* name;
    long x, y;
  } spots[] = {
      {"outside every monitor", 6000, 5000},
      {"partly outside on the right", primary.right - 60, 120},
      {"partly outside above and left", -30, -20},
  };
  for (const auto& spot : spots) {
    host.Run("SetDialogPosition", static_cast<int>(spot.x - 100), static_cast<int>(spot.y - 50));
    for (const Opener& opener : kOpeners) {
      const Seen seen = Observe(opener);
      const long width = seen.rect.right - seen.rect.left, height = seen.rect.bottom - seen.rect.top;
      const RECT wanted{spot.x, spot.y, spot.x + width, spot.y + height};
      const RECT work = MonitorOf(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST)).rcWork;
      const long grown = opener.wine_grows_after_placement_px;
      EXPECT_NEAR(seen.rect.left, KeptEdge(spot.x, width, work.left, work.right), grown)
          << spot.name << ", " << opener.name;
      EXPECT_NEAR(seen.rect.top, KeptEdge(spot.y, height, work.top, work.bottom), grown)
          << spot.name << ", " << opener.name;
      EXPECT_GE(seen.rect.left, work.left) << spot.name << ", " << opener.name;
      EXPECT_GE(seen.rect.top, work.top) << spot.name << ", " << opener.name;
      ExpectOnTop(opener, seen);
    }
  }
}

}  // namespace
