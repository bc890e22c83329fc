#pragma once
// The monitors of the desktop as scripts see them: 0 is the primary, then the others in the system's order.
#include <string>

namespace hostkit::screen {

// The number of monitors the desktop spans.
int MonitorCount();
// Value `what` of monitor `monitor` (screen/monitor_values.h); -1 for a monitor or a value that does not exist.
int MonitorValue(int monitor, int what);
// The monitor that holds most of the host window; -1 without a host window.
int HostMonitor();
// The monitor's name as the display settings show it, else its device name; "" for no such monitor.
std::string MonitorName(int monitor);
// The modes the monitor can show (screen/display_modes.h); "" for no such monitor.
std::string DisplayModes(int monitor);

}  // namespace hostkit::screen
