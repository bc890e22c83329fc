#include "fs/drives.h"

#include <windows.h>

#include <cstring>
#include <iterator>

#include "fs/drive_scan.h"
#include "fs/drive_type.h"
#include "fs/quiet_media.h"
#include "fs/volume_cache.h"

namespace hostkit::fs {
namespace {

DriveScan g_scan;
VolumeCache g_volumes;

bool QueryVolume(const std::string& root, VolumeInfo& info) {
  // Both name sizes count the terminator; the extra zero byte keeps the volume name terminated whatever
  // the platform writes.
  char volume_name[MAX_PATH + 1] = {};
  char file_system[64] = {};
  DWORD serial = info.serial;
  DWORD max_component = info.max_component;
  const BOOL ok = WithoutMediaPrompt([&] {
    return GetVolumeInformationA(root.c_str(), volume_name, MAX_PATH, &serial, &max_component, nullptr, file_system,
                                 static_cast<DWORD>(std::size(file_system)));
  });
  info.serial = serial;
  info.max_component = max_component;
  if (!ok) return false;
  info.volume_name.assign(volume_name, strnlen(volume_name, MAX_PATH));
  info.file_system.assign(file_system, strnlen(file_system, std::size(file_system)));
  return true;
}

}  // namespace

DriveText FirstSystemDrive() { return DriveTextOf(g_scan.First(GetLogicalDrives())); }

DriveText NextSystemDrive() { return DriveTextOf(g_scan.Next(GetLogicalDrives())); }

std::string SystemDriveType(const char* root) {
  const UINT type = WithoutMediaPrompt([&] { return GetDriveTypeA(root); });
  return DriveTypeWord(type);
}

std::string SystemDriveInformation(const char* path, int selector) {
  return g_volumes.Read(path, selector, &QueryVolume);
}

}  // namespace hostkit::fs
