#pragma once
// Drive scan, drive type words and volume information (Win32 layer).
namespace hostkit::fs {

char* FirstSystemDrive();
char* NextSystemDrive();
char* SystemDriveType(const char* root);
char* SystemDriveInformation(const char* path, int selector);

}  // namespace hostkit::fs
