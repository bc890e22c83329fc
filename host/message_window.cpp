#include "host/message_window.h"

namespace hostkit::host {

win::UniqueWindow MakeMessageWindow() noexcept {
  return win::UniqueWindow(
      ::CreateWindowExA(0, "STATIC", "hostkit", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
}

}  // namespace hostkit::host
