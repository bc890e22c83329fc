#include "fs/file_ops.h"

#include <windows.h>

#include <cstring>

#include "fs/quiet_media.h"

namespace hostkit::fs {
namespace {

// The status of a call that just reported success or failure. A failure that left no error code would
// read as success, so it becomes ERROR_GEN_FAILURE instead.
int Status(bool ok) {
  if (ok) return 0;
  const DWORD code = GetLastError();
  return code != 0 ? static_cast<int>(code) : ERROR_GEN_FAILURE;
}

// Both path queries count without the terminator on success; when the path does not fit they answer the
// size needed (terminator included, so at least MAX_PATH) and leave the buffer alone.
std::string PathText(DWORD count, const char (&buffer)[MAX_PATH]) {
  if (count == 0 || count >= MAX_PATH) return {};
  return std::string(buffer, strnlen(buffer, MAX_PATH));
}

}  // namespace

int CreateFolder(const char* path) {
  return WithoutMediaPrompt([&] { return Status(CreateDirectoryA(path, nullptr)); });
}

int DeleteFolder(const char* path) {
  return WithoutMediaPrompt([&] { return Status(RemoveDirectoryA(path)); });
}

int SetWorkingDirectory(const char* path) {
  return WithoutMediaPrompt([&] { return Status(SetCurrentDirectoryA(path)); });
}

int FileCopy(const char* source, const char* destination, int overwrite) {
  const BOOL fail_if_exists = overwrite == 0;
  return WithoutMediaPrompt([&] { return Status(CopyFileA(source, destination, fail_if_exists)); });
}

int FileMove(const char* source, const char* destination) {
  return WithoutMediaPrompt([&] { return Status(MoveFileA(source, destination)); });
}

int FileDelete(const char* path) {
  return WithoutMediaPrompt([&] { return Status(DeleteFileA(path)); });
}

int GetAttributesFromFile(const char* path) {
  return WithoutMediaPrompt([&] { return Status(GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES); });
}

std::string GetWorkingDirectory() {
  char buffer[MAX_PATH] = {};
  return PathText(GetCurrentDirectoryA(MAX_PATH, buffer), buffer);
}

std::string GetFullPathFromFile(const char* path) {
  char buffer[MAX_PATH] = {};
  return PathText(GetFullPathNameA(path, MAX_PATH, buffer, nullptr), buffer);
}

}  // namespace hostkit::fs
