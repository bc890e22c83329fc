// Flashing the host window's caption and taskbar button.
#include <windows.h>

#include "attention/attention.h"
#include "attention/attention_values.h"
#include "host/host_window.h"

namespace hostkit::attention {

static_assert(kFlashStop == FLASHW_STOP && kFlashAll == FLASHW_ALL && kFlashUntilFront == FLASHW_TIMERNOFG);

void FlashHostWindow(int times) {
  const HWND host = host::FindHostWindow();
  if (host == nullptr) return;
  const Flash flash = FlashFor(times);
  // A timeout of 0 flashes at the caret's blink rate. The answer is the window's earlier state, not success.
  FLASHWINFO info{sizeof(info), host, flash.flags, flash.count, 0};
  ::FlashWindowEx(&info);
}

}  // namespace hostkit::attention
