#pragma once
// What the attention commands' numbers mean to the system: the flash request, the taskbar button's progress
// state and the notification's icon flags. The numbers are the system's own (FLASHW_, TBPF_, NIIF_), spelt out
// here so that the rules build without windows.h; the Win32 layer checks them against the headers.
#include <optional>

namespace hostkit::attention {

inline constexpr unsigned kFlashStop = 0;          // FLASHW_STOP
inline constexpr unsigned kFlashAll = 3;           // FLASHW_CAPTION | FLASHW_TRAY
inline constexpr unsigned kFlashUntilFront = 0xC;  // FLASHW_TIMERNOFG
struct Flash {
  unsigned flags = kFlashStop;
  unsigned count = 0;
  friend bool operator==(const Flash&, const Flash&) = default;
};
// times > 0 flashes that many times; 0 until the window comes to the front; a negative count (-1) stops.
Flash FlashFor(int times);

inline constexpr int kProgressNone = 0;           // TBPF_NOPROGRESS
inline constexpr int kProgressIndeterminate = 1;  // TBPF_INDETERMINATE
inline constexpr int kProgressNormal = 2;         // TBPF_NORMAL
inline constexpr int kProgressError = 4;          // TBPF_ERROR
inline constexpr int kProgressPaused = 8;         // TBPF_PAUSED
struct Progress {
  int state = kProgressNone;  // a TBPF_ value
  bool with_value = false;    // normal, paused and error show how far; none and indeterminate do not
  int permille = 0;           // 0 to 1000
  friend bool operator==(const Progress&, const Progress&) = default;
};
// The script's state 0 none, 1 normal, 2 paused, 3 error, 4 indeterminate, with the permille clamped to 0-1000;
// nothing for another state.
std::optional<Progress> ProgressFor(int state, int permille);

inline constexpr unsigned kBalloonNoSound = 0x10;  // NIIF_NOSOUND
// The script's flags 0 no icon, 1 information, 2 warning, 3 error (NIIF_NONE to NIIF_ERROR, the same numbers),
// plus 16 for no sound; nothing for other bits.
std::optional<unsigned> BalloonFlagsFor(int flags);

}  // namespace hostkit::attention
