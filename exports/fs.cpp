// Exported commands of the file system: drives and their space, file and folder operations, the recycle bin, the
// system's folders, folder enumeration and the current-file record. Each forwards to fs/.
#include "exports/command.h"
#include "fs/drive_space.h"
#include "fs/drives.h"
#include "fs/enumeration.h"
#include "fs/file_ops.h"
#include "fs/known_folders.h"
#include "fs/recycle.h"

using namespace hostkit;
using exports::Export;

extern "C" {

char* hk_GetFirstSystemDrive() {
  return Export<hk_GetFirstSystemDrive>([] { return fs::FirstSystemDrive(); });
}
char* hk_GetNextSystemDrive() {
  return Export<hk_GetNextSystemDrive>([] { return fs::NextSystemDrive(); });
}
char* hk_GetSystemDriveType(const char* root) {
  return Export<hk_GetSystemDriveType>([&] { return fs::SystemDriveType(Arg(root)); });
}
char* hk_GetSystemDriveInformation(const char* path, int selector) {
  return Export<hk_GetSystemDriveInformation>([&] { return fs::SystemDriveInformation(Arg(path), selector); });
}
char* hk_GetSystemDriveSpace(const char* root, int item) {
  return Export<hk_GetSystemDriveSpace>([&] { return fs::SystemDriveSpace(Arg(root), item); });
}

int hk_CreateFolder(const char* path) {
  return Export<hk_CreateFolder>([&] { return fs::CreateFolder(Arg(path)); });
}
int hk_DeleteFolder(const char* path) {
  return Export<hk_DeleteFolder>([&] { return fs::DeleteFolder(Arg(path)); });
}
char* hk_GetWorkingDirectory() {
  return Export<hk_GetWorkingDirectory>([] { return fs::GetWorkingDirectory(); });
}
int hk_SetWorkingDirectory(const char* path) {
  return Export<hk_SetWorkingDirectory>([&] { return fs::SetWorkingDirectory(Arg(path)); });
}
int hk_FileCopy(const char* source, const char* destination, int overwrite) {
  return Export<hk_FileCopy>([&] { return fs::FileCopy(Arg(source), Arg(destination), overwrite); });
}
// Exported twice: as FileMove and as FolderMove.
int hk_FileMove(const char* source, const char* destination) {
  return Export<hk_FileMove>([&] { return fs::FileMove(Arg(source), Arg(destination)); });
}
int hk_FileDelete(const char* path) {
  return Export<hk_FileDelete>([&] { return fs::FileDelete(Arg(path)); });
}
int hk_GetAttributesFromFile(const char* path) {
  return Export<hk_GetAttributesFromFile>([&] { return fs::GetAttributesFromFile(Arg(path)); });
}
char* hk_GetFullPathFromFile(const char* path) {
  return Export<hk_GetFullPathFromFile>([&] { return fs::GetFullPathFromFile(Arg(path)); });
}
int hk_FileRecycle(const char* path) {
  return Export<hk_FileRecycle>([&] { return fs::FileRecycle(Arg(path)); });
}
char* hk_GetSpecialFolder(int id) {
  return Export<hk_GetSpecialFolder>([=] { return fs::SpecialFolder(id); });
}
char* hk_GetTempFolder() {
  return Export<hk_GetTempFolder>([] { return fs::TempFolder(); });
}

char* hk_GetFirstFile(const char* pattern) {
  return Export<hk_GetFirstFile>([&] { return fs::FirstFile(Arg(pattern)); });
}
char* hk_GetNextFile() {
  return Export<hk_GetNextFile>([] { return fs::NextFile(); });
}
char* hk_GetFirstFolder(const char* pattern) {
  return Export<hk_GetFirstFolder>([&] { return fs::FirstFolder(Arg(pattern)); });
}
char* hk_GetNextFolder() {
  return Export<hk_GetNextFolder>([] { return fs::NextFolder(); });
}
int hk_GetCurrentFileAttributes() {
  return Export<hk_GetCurrentFileAttributes>([] { return fs::CurrentAttributes(); });
}
char* hk_GetCurrentFileCreationDate(int separator) {
  return Export<hk_GetCurrentFileCreationDate>([=] { return fs::CurrentCreationDate(separator); });
}
char* hk_GetCurrentFileCreationTime(int separator) {
  return Export<hk_GetCurrentFileCreationTime>([=] { return fs::CurrentCreationTime(separator); });
}
char* hk_GetCurrentFileLastAccessDate(int separator) {
  return Export<hk_GetCurrentFileLastAccessDate>([=] { return fs::CurrentLastAccessDate(separator); });
}
char* hk_GetCurrentFileLastAccessTime(int separator) {
  return Export<hk_GetCurrentFileLastAccessTime>([=] { return fs::CurrentLastAccessTime(separator); });
}
char* hk_GetCurrentFileLastWriteDate(int separator) {
  return Export<hk_GetCurrentFileLastWriteDate>([=] { return fs::CurrentLastWriteDate(separator); });
}
char* hk_GetCurrentFileLastWriteTime(int separator) {
  return Export<hk_GetCurrentFileLastWriteTime>([=] { return fs::CurrentLastWriteTime(separator); });
}
int hk_GetCurrentFileSizeLow() {
  return Export<hk_GetCurrentFileSizeLow>([] { return fs::CurrentSizeLow(); });
}
int hk_GetCurrentFileSizeHigh() {
  return Export<hk_GetCurrentFileSizeHigh>([] { return fs::CurrentSizeHigh(); });
}
char* hk_GetCurrentFileSizeAsHexString(int flag) {
  return Export<hk_GetCurrentFileSizeAsHexString>([=] { return fs::CurrentSizeHex(flag); });
}
char* hk_GetCurrentFileSizeAsString(int flag) {
  return Export<hk_GetCurrentFileSizeAsString>([=] { return fs::CurrentSizeDecimal(flag); });
}

}  // extern "C"
