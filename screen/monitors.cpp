// The monitor list, asked afresh on every call (monitors come and go while a game runs), and its commands.
#include "screen/monitors.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "host/boundary.h"
#include "host/host_window.h"
#include "screen/monitor_facts.h"

namespace hostkit::screen {
namespace {

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  return Guard(
      [&] {
        reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
        return TRUE;
      },
      FALSE);
}

// The primary first, then the others in the order the system lists them.
std::vector<HMONITOR> Monitors() {
  std::vector<HMONITOR> list;
  ::EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&list));
  const auto primary = std::find_if(list.begin(), list.end(), [](HMONITOR m) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    return ::GetMonitorInfoA(m, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  });
  if (primary != list.end()) std::rotate(list.begin(), primary, primary + 1);
  return list;
}

struct Found {
  HMONITOR handle;
  MONITORINFOEXA info;
};

std::optional<Found> MonitorAt(int index) {
  const std::vector<HMONITOR> list = Monitors();
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return std::nullopt;
  Found found{list[static_cast<std::size_t>(index)], {}};
  found.info.cbSize = sizeof(found.info);
  if (!::GetMonitorInfoA(found.handle, &found.info)) return std::nullopt;
  return found;
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The name the display settings show (from the monitor's EDID): the display configuration's target of the path
// whose source is this GDI device (Windows 7 and later, looked up at run time). Empty when there is none.
using GetDisplayConfigBufferSizesFn = LONG(WINAPI*)(UINT32, UINT32*, UINT32*);
using QueryDisplayConfigFn = LONG(WINAPI*)(UINT32, UINT32*, DISPLAYCONFIG_PATH_INFO*, UINT32*, DISPLAYCONFIG_MODE_INFO*,
                                           DISPLAYCONFIG_TOPOLOGY_ID*);
using DisplayConfigGetDeviceInfoFn = LONG(WINAPI*)(DISPLAYCONFIG_DEVICE_INFO_HEADER*);

template <class Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}

std::string FriendlyName(const char* device) {
  const auto sizes = User32<GetDisplayConfigBufferSizesFn>("GetDisplayConfigBufferSizes");
  const auto query = User32<QueryDisplayConfigFn>("QueryDisplayConfig");
  const auto info = User32<DisplayConfigGetDeviceInfoFn>("DisplayConfigGetDeviceInfo");
  if (sizes == nullptr || query == nullptr || info == nullptr) return {};
  UINT32 path_count = 0, mode_count = 0;
  if (sizes(QDC_ONLY_ACTIVE_PATHS, &path_count, &mode_count) != ERROR_SUCCESS) return {};
  std::vector<DISPLAYCONFIG_PATH_INFO> paths(path_count);
  std::vector<DISPLAYCONFIG_MODE_INFO> modes(mode_count);
  if (query(QDC_ONLY_ACTIVE_PATHS, &path_count, paths.data(), &mode_count, modes.data(), nullptr) != ERROR_SUCCESS)
    return {};
  paths.resize(path_count);
  for (const DISPLAYCONFIG_PATH_INFO& path : paths) {
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
    source.header = {DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME, sizeof(source), path.sourceInfo.adapterId,
                     path.sourceInfo.id};
    if (info(&source.header) != ERROR_SUCCESS) continue;
    char source_name[std::size(source.viewGdiDeviceName) * 2] = {};
    if (::WideCharToMultiByte(CP_ACP, 0, source.viewGdiDeviceName, -1, source_name, sizeof(source_name), nullptr,
                              nullptr) == 0 ||
        ::lstrcmpiA(source_name, device) != 0)
      continue;
    DISPLAYCONFIG_TARGET_DEVICE_NAME target{};
    target.header = {DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME, sizeof(target), path.targetInfo.adapterId,
                     path.targetInfo.id};
    if (info(&target.header) != ERROR_SUCCESS) return {};
    // The name is UTF-16 of at most 64 units: up to 128 bytes in a double-byte code page, with its terminator.
    char name[std::size(target.monitorFriendlyDeviceName) * 2 + 1] = {};
    if (::WideCharToMultiByte(CP_ACP, 0, target.monitorFriendlyDeviceName, -1, name, sizeof(name) - 1, nullptr,
                              nullptr) == 0)
      return {};
    return name;
  }
  return {};
}

}  // namespace

int MonitorCount() { return static_cast<int>(Monitors().size()); }

int MonitorValue(int monitor, int what) {
  const Source source = SourceOf(what);
  if (source == Source::None) return -1;
  const auto found = MonitorAt(monitor);
  if (!found) return -1;
  MonitorFacts facts;
  facts.monitor = ToRect(found->info.rcMonitor);
  facts.work = ToRect(found->info.rcWork);
  facts.primary = (found->info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  if (source == Source::Dpi) facts.dpi = EffectiveDpi(found->handle, found->info);
  if (source == Source::Mode) ReadMode(found->info, facts);
  if (source == Source::Physical) ReadPhysicalSize(found->handle, found->info, facts);
  return ValueOf(facts, what);
}

int HostMonitor() {
  const HWND host = host::FindHostWindow();
  if (host == nullptr) return -1;
  const HMONITOR nearest = ::MonitorFromWindow(host, MONITOR_DEFAULTTONEAREST);
  const std::vector<HMONITOR> list = Monitors();
  const auto at = std::find(list.begin(), list.end(), nearest);
  return at == list.end() ? -1 : static_cast<int>(at - list.begin());
}

std::string MonitorName(int monitor) {
  const auto found = MonitorAt(monitor);
  if (!found) return {};
  std::string name = FriendlyName(found->info.szDevice);
  return name.empty() ? std::string(found->info.szDevice) : name;
}

std::string DisplayModes(int monitor) {
  const auto found = MonitorAt(monitor);
  return found ? FormatModes(ListModes(found->info)) : std::string();
}

}  // namespace hostkit::screen
