// The date and time picker: a window of our own with a month calendar and a time field, run modally by a
// message loop of its own, and the formatters of the picked moment.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "dialogs/dialog_job.h"
#include "dialogs/dialogs.h"
#include "dialogs/picked_moment.h"
#include "dialogs/placement.h"
#include "dialogs/win32_dialog.h"
#include "host/host_window.h"
#include "host/lifetime.h"
#include "host/win_handle.h"

namespace hostkit::dialogs {
namespace {

constexpr char kClassName[] = "DateTimeDlg";
constexpr DWORD kPickerExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;  // 0x00000009
constexpr DWORD kPickerStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU;   // 0x10C80000
constexpr int kPickerWidth = 270;
constexpr int kPickerHeight = 320;
constexpr int kCalendarId = 3;
constexpr int kTimeId = 4;

struct ControlLayout {
  const char* class_name;
  const char* text;
  int id;
  DWORD style;
  int x, y, width, height;
};

// In creation order, in the picker's client coordinates.
constexpr ControlLayout kControls[] = {
    {"Button", "Ok", IDOK, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 170, 245, 80, 25},
    {"Button", "Cancel", IDCANCEL, WS_CHILD | WS_VISIBLE, 10, 245, 80, 25},
    {"SysMonthCal32", "", kCalendarId, WS_CHILD | WS_VISIBLE | MCS_NOTODAYCIRCLE | MCS_NOTODAY, 10, 40, 240, 200},
    {"SysDateTimePick32", "", kTimeId, WS_CHILD | WS_VISIBLE | DTS_TIMEFORMAT | DTS_RIGHTALIGN, 10, 10, 240, 25},
};

// One run of the picker, reached from the window through its user data.
struct PickerRun {
  bool done = false;
  bool cancelled = true;
  PickedMoment picked;  // the pick as it stood when the run began, updated by Ok
};

Moment FromRecord(const SYSTEMTIME& r) {
  return {r.wYear, r.wMonth, r.wDayOfWeek, r.wDay, r.wHour, r.wMinute, r.wSecond, r.wMilliseconds};
}
SYSTEMTIME ToRecord(const Moment& m) {
  return {m.year, m.month, m.day_of_week, m.day, m.hour, m.minute, m.second, m.milliseconds};
}

PickerRun* RunOf(HWND window) { return reinterpret_cast<PickerRun*>(::GetWindowLongPtrA(window, GWLP_USERDATA)); }

// Stores what the two controls report; a control that is missing or does not answer leaves its record alone.
void StorePick(HWND picker, PickedMoment& picked) {
  SYSTEMTIME time{};
  const HWND time_control = ::GetDlgItem(picker, kTimeId);
  if (time_control != nullptr &&
      ::SendMessageA(time_control, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) == GDT_VALID)
    picked.time = FromRecord(time);
  SYSTEMTIME date{};
  if (::SendMessageA(::GetDlgItem(picker, kCalendarId), MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&date)) != 0)
    picked.date = FromRecord(date);
}

void End(HWND picker, bool confirmed) {
  if (PickerRun* run = RunOf(picker)) {
    if (confirmed) run->cancelled = false;
    run->done = true;
  }
}

LRESULT CALLBACK DateTimePickerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return Guard(
      [&]() -> LRESULT {
        switch (message) {
          case WM_NCCREATE:
            ::SetWindowLongPtrA(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
            break;
          case WM_CREATE:
            // A control whose class is missing is simply absent: the picker still ends through its buttons.
            for (const ControlLayout& c : kControls)
              ::CreateWindowExA(0, c.class_name, c.text, c.style, c.x, c.y, c.width, c.height, window,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), nullptr, nullptr);
            break;
          case WM_COMMAND:
            if (LOWORD(wparam) == IDOK) {
              if (PickerRun* run = RunOf(window)) StorePick(window, run->picked);
              End(window, true);
              return 1;
            }
            if (LOWORD(wparam) == IDCANCEL) {
              End(window, false);
              return 1;
            }
            break;
          case WM_CLOSE:  // the close box counts as Cancel; the run destroys the window itself
            End(window, false);
            return 1;
          case WM_DESTROY:  // destroyed from outside (say, with its owner): the run must still end
            End(window, false);
            break;
        }
        return ::DefWindowProcA(window, message, wparam, lparam);
      },
      LRESULT{0});
}

// The date controls need comctl32 initialised on Windows whether or not the host did it; once is enough.
void PrepareClasses() {
  static const bool prepared = [] {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&init);
    WNDCLASSA cls{};
    cls.lpfnWndProc = &DateTimePickerProc;
    cls.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    cls.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = kClassName;
    host::PinModule();       // the class keeps pointing into this module after a host's FreeLibrary
    ::RegisterClassA(&cls);  // tried once: a failure shows as a picker that cannot be created
    return true;
  }();
  (void)prepared;
}

// Disables the host window for the run and, however the run ends, enables it again only if it was enabled
// before: a host already disabled by a modal window of its own stays disabled until that window ends.
class HostDisabled {
 public:
  explicit HostDisabled(HWND host) : host_(host) {
    // EnableWindow answers non-zero when the window was disabled already.
    if (host_ != nullptr) was_enabled_ = ::EnableWindow(host_, FALSE) == 0;
  }
  HostDisabled(const HostDisabled&) = delete;
  HostDisabled& operator=(const HostDisabled&) = delete;
  ~HostDisabled() {
    if (host_ != nullptr && was_enabled_) ::EnableWindow(host_, TRUE);
  }

 private:
  HWND host_;
  bool was_enabled_ = false;
};

// The picker's loop dispatches the host window's messages, so a script run from there can ask for a picker
// again. One run at a time: the inner one would enable the host while the outer one is open.
bool g_running = false;

class RunningFlag {
 public:
  RunningFlag() noexcept { g_running = true; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;
  ~RunningFlag() { g_running = false; }
};

// Runs the thread's messages until the run is done. A WM_QUIT ends the run as a cancel and is posted again,
// so the host's own loop still sees it.
void RunLoop(HWND picker, const PickerRun& run) {
  while (!run.done) {
    MSG message;
    if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::WaitMessage();
      continue;
    }
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (::IsDialogMessageA(picker, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
}

using FormatFn = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCSTR, LPSTR, int);

// GetDateFormatA and GetTimeFormatA count the terminator, with and without a buffer; 0 means they cannot format.
std::string FormatMoment(FormatFn format, const Moment& moment, const char* picture) {
  const SYSTEMTIME record = ToRecord(moment);
  const char* pic = PictureOrNull(picture);
  const int size = format(0, 0, &record, pic, nullptr, 0);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  const int written = format(0, 0, &record, pic, text.data(), size);
  if (written <= 0) return {};
  text.resize(strnlen(text.data(), text.size()));
  return text;
}

}  // namespace

DialogJob PickerJob(std::string title, DialogHost host) {
  return [title = std::string(PickerTitle(title)), host, at = DialogPosition(), picked = Picked()] {
    PrepareClasses();
    // Never centred: (-1, -1) is a place like any other here, kept on screen as every dialog's.
    PickerRun run{false, true, picked};
    const Point place = KeptOnScreen(at, kPickerWidth, kPickerHeight);
    win::UniqueWindow picker(::CreateWindowExA(kPickerExStyle, kClassName, title.c_str(), kPickerStyle, place.x,
                                               place.y, kPickerWidth, kPickerHeight, host.owner, nullptr, nullptr,
                                               &run));
    // Nothing could end a run without a window: answer at once, host untouched.
    if (!picker) return RequestEnd{RequestStatus::NotShown, {}, {}};
    ::ShowWindow(picker.get(), SW_SHOW);
    {
      const HostDisabled disabled(host.owner);
      RunLoop(picker.get(), run);
    }
    // Destroyed from outside already: nothing is left to destroy.
    if (!::IsWindow(picker.get())) picker.release();
    if (run.cancelled) return RequestEnd{RequestStatus::Ended, {}, {}};
    return RequestEnd{RequestStatus::Answered, "1", [kept = run.picked] { Picked() = kept; }};
  };
}

int OpenDateTimePicker(const char* title) {
  if (g_running) return 0;  // asked for from inside a run: nothing is shown
  const RunningFlag running;
  const HWND host = host::FindHostWindow();
  RequestEnd end = PickerJob(title, {host, host})();
  if (end.on_read) end.on_read();
  return end.status == RequestStatus::Answered ? 1 : 0;
}

std::string DateString(const char* picture) { return FormatMoment(&::GetDateFormatA, Picked().date, picture); }
std::string TimeString(const char* picture) { return FormatMoment(&::GetTimeFormatA, Picked().time, picture); }

}  // namespace hostkit::dialogs
