// The date and time picker under Wine: its window and controls, Ok, Cancel and the close box, the readers and
// formatters, and the ways a run can end without a person.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "tests/e2e/harness/dialog_driver.h"
#include "tests/e2e/harness/host.h"

namespace {

constexpr int kCalendar = 3, kTime = 4;

struct PickerRun {
  int answer = -7;
  bool host_disabled_meanwhile = false;
};

PickerRun RunPicker(const std::string& title, const std::function<void(HWND)>& drive) {
  PickerRun run;
  e2e::WithHelper(
      [&] {
        const HWND picker = e2e::WaitForDialog(e2e::OfClass("DateTimeDlg"));
        ASSERT_NE(picker, nullptr);
        run.host_disabled_meanwhile = !IsWindowEnabled(e2e::Host().window());
        drive(picker);
      },
      [&] { run.answer = e2e::Host().Int("OpenDateTimePicker", title); });
  return run;
}

void CloseBox(HWND picker) { PostMessageA(picker, WM_SYSCOMMAND, SC_CLOSE, 0); }

RECT ClientRectOf(HWND control) {
  RECT r = e2e::WindowRect(control);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(DialogsPicker, HasItsWindowAndFourControlsAndTheCloseBoxCancels) {
  hostrun::HostDouble& host = e2e::Host();
  const struct {
    int id;
    const char* window_class;
    const char* text;
    LONG style;
    RECT place;
  } controls[] = {
      {IDOK, "Button", "Ok", 0x50000001, {170, 245, 250, 270}},
      {IDCANCEL, "Button", "Cancel", 0x50000000, {10, 245, 90, 270}},
      {kCalendar, "SysMonthCal32", "", 0x50000018, {10, 40, 250, 240}},
      {kTime, "SysDateTimePick32", nullptr, 0x50000029, {10, 10, 250, 35}},  // its text is the time shown
  };
  std::string title;
  RECT outer{};
  LONG style = 0, ex_style = 0;
  HWND owner = nullptr;
  const PickerRun run = RunPicker("", [&](HWND picker) {
    title = e2e::WindowText(picker);
    outer = e2e::WindowRect(picker);
    style = GetWindowLongA(picker, GWL_STYLE);
    ex_style = GetWindowLongA(picker, GWL_EXSTYLE);
    owner = GetWindow(picker, GW_OWNER);
    for (const auto& c : controls) {
      const HWND control = GetDlgItem(picker, c.id);
      ASSERT_NE(control, nullptr) << c.id;
      EXPECT_EQ(e2e::ClassOf(control), c.window_class) << c.id;
      if (c.text != nullptr) {
        EXPECT_EQ(e2e::WindowText(control), c.text) << c.id;
      }
      EXPECT_EQ(GetWindowLongA(control, GWL_STYLE), c.style) << c.id;
      const RECT r = ClientRectOf(control);
      EXPECT_EQ(r.left, c.place.left) << c.id;
      EXPECT_EQ(r.top, c.place.top) << c.id;
      EXPECT_EQ(r.right, c.place.right) << c.id;
      EXPECT_EQ(r.bottom, c.place.bottom) << c.id;
    }
    CloseBox(picker);
  });
  EXPECT_EQ(title, "Pick a Date and/or Time");
  EXPECT_EQ(outer.right - outer.left, 270);
  EXPECT_EQ(outer.bottom - outer.top, 320);
  EXPECT_EQ(style & 0x10CF0000, 0x10C80000) << "caption and close box; no sizing, minimise or maximise";
  EXPECT_EQ(ex_style & 0x9, 0x9);
  EXPECT_EQ(owner, host.window());
  EXPECT_EQ(run.answer, 0) << "the close box cancels";
  EXPECT_TRUE(run.host_disabled_meanwhile);
  EXPECT_TRUE(IsWindowEnabled(host.window()));
}

void Pick(HWND picker, const SYSTEMTIME& date, const SYSTEMTIME& time) {
  SendMessageA(GetDlgItem(picker, kCalendar), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
  SendMessageA(GetDlgItem(picker, kTime), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
  e2e::PressButton(picker, IDOK);
}

TEST(DialogsPicker, OkStoresThePickAndLaterCancelsKeepIt) {
  hostrun::HostDouble& host = e2e::Host();
  const char* readers[] = {"GetDateYear", "GetDateMonth",  "GetDateDay",   "GetDateDayOfWeek",
                           "GetDateHour", "GetDateMinute", "GetDateSecond"};
  for (const char* reader : readers) EXPECT_EQ(host.Int(reader), 0) << reader;
  EXPECT_EQ(host.Str("GetDateString", "dd.MM.yyyy"), "");
  EXPECT_EQ(host.Str("GetTimeString", "HH:mm:ss"), "00:00:00");

  std::string title;
  const PickerRun ok = RunPicker("When?", [&](HWND picker) {
    title = e2e::WindowText(picker);
    Pick(picker, {2024, 3, 0, 15, 0, 0, 0, 0}, {2000, 1, 6, 1, 14, 5, 9, 0});
  });
  EXPECT_EQ(ok.answer, 1);
  EXPECT_EQ(title, "When?");
  const int picked[] = {2024, 3, 15, 5, 14, 5, 9};  // 15 March 2024 is a Friday
  for (std::size_t i = 0; i < std::size(readers); ++i) EXPECT_EQ(host.Int(readers[i]), picked[i]) << readers[i];
  EXPECT_EQ(host.Str("GetDateString", "dd.MM.yyyy"), "15.03.2024");
  EXPECT_EQ(host.Str("GetTimeString", "HH:mm:ss"), "14:05:09");
  EXPECT_EQ(host.Str("GetDateString", "'day' d 'of' MMMM"), "day 15 of March");
  EXPECT_NE(host.Str("GetDateString", "").value_or(""), "") << "the locale's short date";

  for (const auto end : {+[](HWND p) { e2e::PressButton(p, IDCANCEL); }, +[](HWND p) { CloseBox(p); }}) {
    SYSTEMTIME opened{}, today{};
    const PickerRun cancelled = RunPicker("", [&](HWND picker) {
      SendMessageA(GetDlgItem(picker, kCalendar), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&opened));
      GetLocalTime(&today);
      // Changes made before a cancel are dropped.
      SYSTEMTIME other{1990, 7, 0, 4, 0, 0, 0, 0};
      SendMessageA(GetDlgItem(picker, kCalendar), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&other));
      end(picker);
    });
    EXPECT_EQ(cancelled.answer, 0);
    EXPECT_TRUE(cancelled.host_disabled_meanwhile);
    EXPECT_TRUE(IsWindowEnabled(host.window()));
    EXPECT_EQ(opened.wYear * 10000 + opened.wMonth * 100 + opened.wDay,
              today.wYear * 10000 + today.wMonth * 100 + today.wDay)
        << "the calendar opens on today, not on the previous pick";
    for (std::size_t i = 0; i < std::size(readers); ++i) EXPECT_EQ(host.Int(readers[i]), picked[i]) << readers[i];
  }
}

LRESULT CALLBACK RefusePicker(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && e2e::ClassOf(reinterpret_cast<HWND>(wparam)) == "DateTimeDlg") return 1;
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST(DialogsPicker, APickerThatCannotBeCreatedAnswersZeroAtOnceWithTheHostEnabled) {
  hostrun::HostDouble& host = e2e::Host();
  const HHOOK hook = SetWindowsHookExA(WH_CBT, &RefusePicker, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  const DWORD start = GetTickCount();
  const int answer = host.Int("OpenDateTimePicker", "");
  const DWORD took = GetTickCount() - start;
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(answer, 0);
  EXPECT_LT(took, 2000u);
  EXPECT_TRUE(IsWindowEnabled(host.window()));
}

TEST(DialogsPicker, AQuitMessageEndsTheRunAndIsLeftForTheHost) {
  hostrun::HostDouble& host = e2e::Host();
  const DWORD thread = GetCurrentThreadId();
  int answer = -7;
  MSG quit{};
  bool quit_kept = false;
  e2e::WithHelper(
      [&] {
        ASSERT_NE(e2e::WaitForDialog(e2e::OfClass("DateTimeDlg")), nullptr);
        PostThreadMessageA(thread, WM_QUIT, 7, 0);
      },
      [&] {
        answer = host.Int("OpenDateTimePicker", "");
        quit_kept = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
      });
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(quit_kept);
  EXPECT_EQ(quit.wParam, 7u);
  EXPECT_TRUE(IsWindowEnabled(host.window()));
  EXPECT_EQ(e2e::WaitForWindow(e2e::OfClass("DateTimeDlg"), 0), nullptr) << "the picker is gone";
}

}  // namespace
