// The DPI and display-mode questions, asked so that a DPI-unaware host gets the monitor's real answers.
#include "screen/monitor_facts.h"

#include <algorithm>

#include "host/win_handle.h"

namespace hostkit::screen {
namespace {

// Windows 10's DPI awareness contexts and Windows 8.1's MDT_EFFECTIVE_DPI: not in the Windows 7 headers.
using DpiContext = HANDLE;
const DpiContext kPerMonitorAwareV2 = reinterpret_cast<DpiContext>(-4);
const DpiContext kPerMonitorAware = reinterpret_cast<DpiContext>(-3);
constexpr int kEffectiveDpi = 0;
constexpr int kBaseDpi = 96;
// A display lists a few hundred modes at most (one per size, rate, depth, scaling); the bound stops a driver that
// never says no.
constexpr DWORD kMaxModes = 4096;

using SetThreadDpiAwarenessContextFn = DpiContext(WINAPI*)(DpiContext);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <class Function>
Function Lookup(HMODULE module, const char* name) {
  return module == nullptr ? nullptr
                           : reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

struct DpiCalls {
  SetThreadDpiAwarenessContextFn set_context = nullptr;
  GetDpiForMonitorFn dpi_for_monitor = nullptr;
};

const DpiCalls& Calls() {
  // shcore.dll is no import (Windows 7 has none): loaded from the system folder once, released at the unload.
  static const win::UniqueModule shcore(::LoadLibraryExA("shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  static const DpiCalls calls{
      Lookup<SetThreadDpiAwarenessContextFn>(::GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext"),
      Lookup<GetDpiForMonitorFn>(shcore.get(), "GetDpiForMonitor")};
  return calls;
}

// The calling thread made per-monitor aware for the scope, where the system can (Windows 10 1607; Wine 8 has the
// first per-monitor context only), and put back as it was: a DPI-unaware thread is told 96 DPI, scaled
// outlines and, on some systems, scaled modes.
class PerMonitorAware {
 public:
  PerMonitorAware() noexcept {
    if (const auto set = Calls().set_context) {
      old_ = set(kPerMonitorAwareV2);
      if (old_ == nullptr) old_ = set(kPerMonitorAware);
    }
  }
  PerMonitorAware(const PerMonitorAware&) = delete;
  PerMonitorAware& operator=(const PerMonitorAware&) = delete;
  ~PerMonitorAware() {
    if (old_ != nullptr) Calls().set_context(old_);
  }
  bool raised() const noexcept { return old_ != nullptr; }

 private:
  DpiContext old_ = nullptr;
};

// The current mode, when the display gives one with a size (Wine 8 answers TRUE and an empty mode for a second
// monitor).
bool CurrentMode(const MONITORINFOEXA& info, DEVMODEA& mode) {
  const PerMonitorAware aware;
  mode = DEVMODEA{};
  mode.dmSize = sizeof(mode);
  return ::EnumDisplaySettingsA(info.szDevice, ENUM_CURRENT_SETTINGS, &mode) && mode.dmPelsWidth > 0 &&
         mode.dmPelsHeight > 0;
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

std::optional<int> EffectiveDpi(HMONITOR monitor, const MONITORINFOEXA& info) {
  if (const auto query = Calls().dpi_for_monitor) {
    const PerMonitorAware aware;
    UINT x = 0, y = 0;
    if (SUCCEEDED(query(monitor, kEffectiveDpi, &x, &y)) && x > 0) {
      int dpi = static_cast<int>(x);
      DEVMODEA mode;
      if (!aware.raised() && Width(info.rcMonitor) > 0 && CurrentMode(info, mode))
        dpi = std::max(dpi, MulDiv(kBaseDpi, static_cast<int>(mode.dmPelsWidth), Width(info.rcMonitor)));
      return dpi;
    }
  }
  const win::UniqueDc screen(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
  if (!screen) return std::nullopt;
  const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
  return dpi > 0 ? std::optional<int>(dpi) : std::nullopt;
}

void ReadMode(const MONITORINFOEXA& info, MonitorFacts& facts) {
  int hz = 0, bits = 0;
  DEVMODEA mode;
  if (CurrentMode(info, mode)) {
    hz = static_cast<int>(mode.dmDisplayFrequency);
    bits = static_cast<int>(mode.dmBitsPerPel);
  } else if (const win::UniqueDc dc(::CreateDCA(info.szDevice, nullptr, nullptr, nullptr)); dc) {
    hz = ::GetDeviceCaps(dc.get(), VREFRESH);
    bits = ::GetDeviceCaps(dc.get(), BITSPIXEL);
  }
  if (hz > 1) facts.hz = hz;
  if (bits > 0) facts.bits = bits;
}

void ReadPhysicalSize(HMONITOR monitor, const MONITORINFOEXA& info, MonitorFacts& facts) {
  DEVMODEA mode;
  if (CurrentMode(info, mode)) {
    facts.physical_width = static_cast<int>(mode.dmPelsWidth);
    facts.physical_height = static_cast<int>(mode.dmPelsHeight);
    return;
  }
  {
    const PerMonitorAware aware;
    MONITORINFO seen{};
    seen.cbSize = sizeof(seen);
    if (aware.raised() && ::GetMonitorInfoA(monitor, &seen)) {
      facts.physical_width = Width(seen.rcMonitor);
      facts.physical_height = Height(seen.rcMonitor);
      return;
    }
  }
  if (const auto dpi = EffectiveDpi(monitor, info)) {
    facts.physical_width = MulDiv(Width(info.rcMonitor), *dpi, kBaseDpi);
    facts.physical_height = MulDiv(Height(info.rcMonitor), *dpi, kBaseDpi);
  }
}

std::vector<DisplayMode> ListModes(const MONITORINFOEXA& info) {
  std::vector<DisplayMode> modes;
  const PerMonitorAware aware;
  for (DWORD i = 0; i < kMaxModes; ++i) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!::EnumDisplaySettingsA(info.szDevice, i, &mode)) break;
    modes.push_back({static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight),
                     static_cast<int>(mode.dmDisplayFrequency)});
  }
  DEVMODEA current;
  if (CurrentMode(info, current))
    modes.push_back({static_cast<int>(current.dmPelsWidth), static_cast<int>(current.dmPelsHeight),
                     static_cast<int>(current.dmDisplayFrequency)});
  return modes;
}

}  // namespace hostkit::screen
