// Exported commands of the monitors and of the player's attention: each forwards to screen/ or attention/.
#include "attention/attention.h"
#include "exports/command.h"
#include "screen/monitors.h"

using namespace hostkit;
using exports::Export;

extern "C" {

int hk_GetMonitorCount() {
  return Export<hk_GetMonitorCount>([] { return screen::MonitorCount(); });
}
int hk_GetMonitorValue(int monitor, int what) {
  return Export<hk_GetMonitorValue>([&] { return screen::MonitorValue(monitor, what); });
}
int hk_GetHostMonitor() {
  return Export<hk_GetHostMonitor>([] { return screen::HostMonitor(); });
}
char* hk_GetMonitorName(int monitor) {
  return Export<hk_GetMonitorName>([&] { return screen::MonitorName(monitor); });
}
char* hk_GetDisplayModes(int monitor) {
  return Export<hk_GetDisplayModes>([&] { return screen::DisplayModes(monitor); });
}

void hk_FlashHostWindow(int times) {
  Export<hk_FlashHostWindow>([&] { attention::FlashHostWindow(times); });
}
int hk_SetTaskbarProgress(int state, int permille) {
  return Export<hk_SetTaskbarProgress>([&] { return attention::SetTaskbarProgress(state, permille); });
}
int hk_ShowNotification(const char* title, const char* text, int flags) {
  return Export<hk_ShowNotification>([&] { return attention::ShowNotification(Arg(title), Arg(text), flags); });
}

}  // extern "C"
