#include "fs/known_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "host/ansi_path.h"

namespace hostkit::fs {
namespace {

// The wide calls: the ANSI ones turn a character outside the code page (a profile folder named in another
// script) into '?' and still report success, naming a folder that does not exist.
std::string InAnsi(const std::wstring& path) { return host::AnsiPath(path).value_or(std::string()); }

}  // namespace

std::string SpecialFolder(int id) {
  // The buffer must hold MAX_PATH units; the call writes a terminated path into it on success only.
  wchar_t path[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) return {};
  return InAnsi(std::wstring(path, wcsnlen(path, MAX_PATH)));
}

std::string TempFolder() {
  // The count excludes the terminator on success; a folder that does not fit answers the size it needs, which
  // is then larger than the buffer. The longest answer is MAX_PATH + 1 units with its terminator.
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD count = GetTempPathW(MAX_PATH + 1, path);
  if (count == 0 || count > MAX_PATH) return {};
  return InAnsi(std::wstring(path, wcsnlen(path, count)));
}

}  // namespace hostkit::fs
