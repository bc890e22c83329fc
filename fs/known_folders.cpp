#include "fs/known_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace hostkit::fs {

std::string SpecialFolder(int id) {
  // The buffer must hold MAX_PATH bytes; the call writes a terminated path into it on success only.
  char path[MAX_PATH] = {};
  if (SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
  return std::string(path, strnlen(path, MAX_PATH));
}

std::string TempFolder() {
  // The count excludes the terminator on success; a folder that does not fit answers the size it needs, which
  // is then larger than the buffer. The longest answer is MAX_PATH + 1 bytes with its terminator.
  char path[MAX_PATH + 1] = {};
  const DWORD count = GetTempPathA(MAX_PATH + 1, path);
  if (count == 0 || count > MAX_PATH) return {};
  return std::string(path, strnlen(path, count));
}

}  // namespace hostkit::fs
