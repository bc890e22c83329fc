#pragma once
// What the system says about one monitor beyond its outline, whatever DPI awareness the host declared: the
// calls that give a DPI-unaware process the truth are looked up at run time, with a fallback on older systems.
#include <windows.h>

#include <optional>
#include <vector>

#include "screen/display_modes.h"
#include "screen/monitor_values.h"

namespace hostkit::screen {

// The monitor's effective DPI: GetDpiForMonitor (shcore, Windows 8.1) asked with the thread raised to per-monitor
// awareness (SetThreadDpiAwarenessContext, Windows 10 1607); without the raise, the larger of that answer and
// what the physical mode says against the outline (a DPI-virtualised host is told 96); before Windows 8.1 the
// system DPI of the screen's device context, one for all monitors.
std::optional<int> EffectiveDpi(HMONITOR monitor, const MONITORINFOEXA& info);

// Refresh rate and bits per pixel of the current mode: the display's own settings, else its device context.
// A rate of 0 or 1 ("the hardware's default") is no answer.
void ReadMode(const MONITORINFOEXA& info, MonitorFacts& facts);

// The size in physical pixels: the current mode, else the outline as a per-monitor-aware thread sees it, else
// the outline scaled by the DPI.
void ReadPhysicalSize(HMONITOR monitor, const MONITORINFOEXA& info, MonitorFacts& facts);

// Every mode the display lists, with the current one.
std::vector<DisplayMode> ListModes(const MONITORINFOEXA& info);

}  // namespace hostkit::screen
