// Exported commands of the file system: drives, file and folder operations, folder enumeration and the
// current-file record. Each forwards to fs/ behind the boundary guard.
#include <windows.h>

#include "fs/drives.h"
#include "fs/enumeration.h"
#include "fs/file_ops.h"
#include "host/boundary.h"

using namespace hostkit;

extern "C" {

char* hk_GetFirstSystemDrive() { return GuardString([] { return fs::FirstSystemDrive(); }); }
char* hk_GetNextSystemDrive() { return GuardString([] { return fs::NextSystemDrive(); }); }
char* hk_GetSystemDriveType(const char* root) { return GuardString([&] { return fs::SystemDriveType(Arg(root)); }); }
char* hk_GetSystemDriveInformation(const char* path, int selector) {
  return GuardString([&] { return fs::SystemDriveInformation(Arg(path), selector); });
}

int hk_CreateFolder(const char* path) { return GuardInt(ERROR_GEN_FAILURE, [&] { return fs::CreateFolder(Arg(path)); }); }
int hk_DeleteFolder(const char* path) { return GuardInt(ERROR_GEN_FAILURE, [&] { return fs::DeleteFolder(Arg(path)); }); }
char* hk_GetWorkingDirectory() { return GuardString([] { return fs::GetWorkingDirectory(); }); }
int hk_SetWorkingDirectory(const char* path) {
  return GuardInt(ERROR_GEN_FAILURE, [&] { return fs::SetWorkingDirectory(Arg(path)); });
}
int hk_FileCopy(const char* source, const char* destination, int overwrite) {
  return GuardInt(ERROR_GEN_FAILURE, [&] { return fs::FileCopy(Arg(source), Arg(destination), overwrite); });
}
// Exported twice: as FileMove and as FolderMove.
int hk_FileMove(const char* source, const char* destination) {
  return GuardInt(ERROR_GEN_FAILURE, [&] { return fs::FileMove(Arg(source), Arg(destination)); });
}
int hk_FileDelete(const char* path) { return GuardInt(ERROR_GEN_FAILURE, [&] { return fs::FileDelete(Arg(path)); }); }
int hk_GetAttributesFromFile(const char* path) {
  return GuardInt(ERROR_GEN_FAILURE, [&] { return fs::GetAttributesFromFile(Arg(path)); });
}
char* hk_GetFullPathFromFile(const char* path) {
  return GuardString([&] { return fs::GetFullPathFromFile(Arg(path)); });
}

char* hk_GetFirstFile(const char* pattern) { return GuardString([&] { return fs::FirstFile(Arg(pattern)); }); }
char* hk_GetNextFile() { return GuardString([] { return fs::NextFile(); }); }
char* hk_GetFirstFolder(const char* pattern) { return GuardString([&] { return fs::FirstFolder(Arg(pattern)); }); }
char* hk_GetNextFolder() { return GuardString([] { return fs::NextFolder(); }); }
int hk_GetCurrentFileAttributes() { return fs::CurrentAttributes(); }
char* hk_GetCurrentFileCreationDate(int separator) {
  return GuardString([=] { return fs::CurrentCreationDate(separator); });
}
char* hk_GetCurrentFileCreationTime(int separator) {
  return GuardString([=] { return fs::CurrentCreationTime(separator); });
}
char* hk_GetCurrentFileLastAccessDate(int separator) {
  return GuardString([=] { return fs::CurrentLastAccessDate(separator); });
}
char* hk_GetCurrentFileLastAccessTime(int separator) {
  return GuardString([=] { return fs::CurrentLastAccessTime(separator); });
}
char* hk_GetCurrentFileLastWriteDate(int separator) {
  return GuardString([=] { return fs::CurrentLastWriteDate(separator); });
}
char* hk_GetCurrentFileLastWriteTime(int separator) {
  return GuardString([=] { return fs::CurrentLastWriteTime(separator); });
}
int hk_GetCurrentFileSizeLow() { return fs::CurrentSizeLow(); }
int hk_GetCurrentFileSizeHigh() { return fs::CurrentSizeHigh(); }
char* hk_GetCurrentFileSizeAsHexString(int flag) { return GuardString([=] { return fs::CurrentSizeHex(flag); }); }
char* hk_GetCurrentFileSizeAsString(int flag) { return GuardString([=] { return fs::CurrentSizeDecimal(flag); }); }

}  // extern "C"
