// Flashing, taskbar progress and notifications answer at once and keep the host running. Wine cannot show what
// the player would see: FlashWindowEx answers the window's earlier state and flashes nothing on Xvfb, the
// taskbar object answers S_OK and draws no button, and the tray takes the icon and balloon (NIM_ADD answers TRUE)
// without showing them. What is checked instead: the answers, the host's survival, and hostkit's attention
// thread, whose message-only window lives exactly as long as it has an icon to keep (and a short linger).
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <array>
#include <climits>
#include <string>

#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/window_driver.h"

namespace {

constexpr int kInvalidWindow = static_cast<int>(0x80070578);  // HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE)
// The tray's callback message of hostkit's icon, as the shell would post it for a balloon's end or a click.
constexpr UINT kTrayMessage = WM_APP + 0x1A7;
// The attention thread polls every 250 ms and lingers 2 s with nothing to show before it ends.
constexpr DWORD kThreadEndMs = 4000;

// hostkit's attention windows: message-only windows of this process whose class names the attention thread. The
// first one, and how many there are.
HWND AttentionWindow(int* count = nullptr) {
  HWND first = nullptr;
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
       w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(w, &process);
    if (process != GetCurrentProcessId() || e2e::ClassOf(w).rfind("hostkit.attention.", 0) != 0) continue;
    if (first == nullptr) first = w;
    if (count != nullptr) ++*count;
  }
  return first;
}

// Pumps the host's messages until the attention window is gone; false if it outlived the wait.
bool AttentionEnds(DWORD timeout_ms = kThreadEndMs) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    if (AttentionWindow() == nullptr) return true;
    e2e::PumpFor(50);
  }
  return AttentionWindow() == nullptr;
}

HWND AttentionWindowAppears() {
  for (int i = 0; i < 40 && AttentionWindow() == nullptr; ++i) e2e::PumpFor(25);
  return AttentionWindow();
}

using ApartmentTypeFn = HRESULT(WINAPI*)(int*, int*);

// The calling thread's COM apartment type (APTTYPE_), or -1 without one.
int ApartmentType() {
  static const auto query = reinterpret_cast<ApartmentTypeFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ole32.dll"), "CoGetApartmentType")));
  int type = -1, qualifier = 0;
  return query != nullptr && query(&type, &qualifier) == S_OK ? type : -1;
}

struct ProgressCase {
  int state, permille, expected;
};
const ProgressCase kProgressCases[] = {{1, 250, S_OK},       {2, 500, S_OK},        {3, 1000, S_OK},
                                       {4, 0, S_OK},         {1, 2000, S_OK},       {0, 0, S_OK},
                                       {5, 0, E_INVALIDARG}, {-1, 0, E_INVALIDARG}, {INT_MAX, 0, E_INVALIDARG}};

DWORD WINAPI ProgressWithoutApartment(void* host) {
  const int apartment = ApartmentType();
  for (const ProgressCase& c : kProgressCases)
    EXPECT_EQ(static_cast<hostrun::HostDouble*>(host)->Int("SetTaskbarProgress", c.state, c.permille), c.expected)
        << "without an apartment: " << c.state << " " << c.permille;
  EXPECT_EQ(ApartmentType(), apartment) << "the calling thread's COM state is left alone";
  return static_cast<DWORD>(apartment);
}

TEST(AttentionCommands, FlashAndProgressAnswerAndKeepTheHostRunning) {
  hostrun::HostDouble& host = e2e::Host();
  for (const int times : {3, 0, -1, 1000, -1}) host.Run("FlashHostWindow", times);

  // Wine's IME puts every thread that makes a window in a single-threaded apartment (measured: the host double's
  // thread is APTTYPE_MAINSTA once its window exists), so there the taskbar object is made on the host's thread.
  const int apartment = ApartmentType();
  ASSERT_NE(apartment, -1);
  for (const ProgressCase& c : kProgressCases)
    EXPECT_EQ(host.Int("SetTaskbarProgress", c.state, c.permille), c.expected) << c.state << " " << c.permille;
  EXPECT_EQ(ApartmentType(), apartment);
  e2e::PumpFor(100);
  EXPECT_EQ(AttentionWindow(), nullptr) << "no thread of hostkit's needed";

  // A thread that never joined an apartment (it made no window) hands the change to the attention thread.
  const hostkit::win::UniqueHandle thread(CreateThread(nullptr, 0, &ProgressWithoutApartment, &host, 0, nullptr));
  ASSERT_TRUE(thread);
  while (MsgWaitForMultipleObjects(1, std::array{thread.get()}.data(), FALSE, 5000, QS_ALLINPUT) != WAIT_OBJECT_0)
    e2e::PumpFor(10);
  DWORD seen = 0;
  GetExitCodeThread(thread.get(), &seen);
  EXPECT_EQ(static_cast<int>(seen), -1) << "the caller had no apartment";
  ASSERT_NE(AttentionWindowAppears(), nullptr) << "the changes went to the attention thread";
  EXPECT_TRUE(AttentionEnds()) << "with nothing to show the thread ends";

  EXPECT_TRUE(IsWindow(host.window()));
  EXPECT_EQ(host.Int("GetHostMonitor"), 0);
}

TEST(AttentionCommands, ANotificationReplacesTheOneShowingAndGoesWhenTheTraySaysItHasGone) {
  hostrun::HostDouble& host = e2e::Host();
  EXPECT_EQ(host.Int("ShowNotification", "Turn over", "Your move", 1), 0);
  const HWND tray = AttentionWindowAppears();
  ASSERT_NE(tray, nullptr);
  for (const int flags : {0, 2, 3, 17, 19}) EXPECT_EQ(host.Int("ShowNotification", "Loaded", "Ready", flags), 0);
  EXPECT_EQ(host.Run("ShowNotification", nullptr, nullptr, 0).number, 0) << "null strings read as \"\"";
  for (const int flags : {4, 15, 32, -1}) EXPECT_EQ(host.Int("ShowNotification", "t", "x", flags), 87) << flags;
  e2e::PumpFor(300);
  int windows = 0;
  EXPECT_EQ(AttentionWindow(&windows), tray);
  EXPECT_EQ(windows, 1) << "one thread and one icon, replaced in place";
  // The balloon's end, as the tray reports it: the icon goes, then the thread.
  PostMessageA(tray, kTrayMessage, 1, NIN_BALLOONTIMEOUT);
  EXPECT_TRUE(AttentionEnds());
  EXPECT_TRUE(IsWindow(host.window()));
}

TEST(AttentionCommands, AClickBringsTheHostWindowToTheFront) {
  hostrun::HostDouble& host = e2e::Host();
  const hostkit::win::UniqueWindow other = e2e::MakeWindow("AttentionOther");
  SetForegroundWindow(other.get());
  e2e::PumpFor(100);
  ASSERT_EQ(GetForegroundWindow(), other.get());
  EXPECT_EQ(host.Int("ShowNotification", "Turn over", "Your move", 0), 0);
  const HWND tray = AttentionWindowAppears();
  ASSERT_NE(tray, nullptr);
  PostMessageA(tray, kTrayMessage, 1, NIN_BALLOONUSERCLICK);
  for (int i = 0; i < 40 && GetForegroundWindow() != host.window(); ++i) e2e::PumpFor(25);
  EXPECT_EQ(GetForegroundWindow(), host.window());
  EXPECT_TRUE(AttentionEnds()) << "a clicked notification has gone";
}

TEST(AttentionCommands, TheIconGoesWithTheHostWindow) {
  hostrun::HostDouble& host = e2e::Host();
  EXPECT_EQ(host.Int("ShowNotification", "Saved", "Game saved", 16), 0);
  ASSERT_NE(AttentionWindowAppears(), nullptr);
  DestroyWindow(host.window());
  EXPECT_TRUE(AttentionEnds());
  // Without a host window nothing is shown or changed, and the answers say so.
  host.Run("FlashHostWindow", 3);
  EXPECT_EQ(host.Int("SetTaskbarProgress", 1, 500), kInvalidWindow);
  EXPECT_EQ(host.Int("ShowNotification", "t", "x", 0), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(host.Int("GetHostMonitor"), -1);
  EXPECT_EQ(AttentionWindow(), nullptr);
}

}  // namespace
