#pragma once
// Drive scan, drive type words and volume information (Win32 layer).
#include <string>

#include "fs/drive_scan.h"

namespace hostkit::fs {

DriveText FirstSystemDrive();
DriveText NextSystemDrive();
std::string SystemDriveType(const char* root);
std::string SystemDriveInformation(const char* path, int selector);

}  // namespace hostkit::fs
