#include "fs/recycle.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "fs/quiet_media.h"
#include "fs/recycle_path.h"
#include "host/grow_buffer.h"

namespace hostkit::fs {
namespace {

// GetFullPathNameA follows ReadGrowing's length rule. `code` gets the call's error on failure.
std::optional<std::string> FullPath(const char* path, DWORD& code) {
  return ReadGrowing([&](char* buffer, std::uint32_t size) {
    const DWORD count = GetFullPathNameA(path, size, buffer, nullptr);
    code = GetLastError();
    return count;
  });
}

// The path as the file system compares it: its long form where it exists (a short 8.3 name names the same
// folder), then upper-cased by the ANSI code page's rules (names compare without case).
std::string Comparable(std::string path) {
  if (auto long_form =
          ReadGrowing([&](char* buffer, std::uint32_t size) { return GetLongPathNameA(path.c_str(), buffer, size); })) {
    path = std::move(*long_form);
  }
  if (!path.empty()) CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

// Whether the full path names the process's working folder, or, for a drive-relative path ("D:" and what
// follows), the drive's own current folder, or a folder containing either.
bool NamesAWorkingFolder(const char* path, const std::string& full) {
  const std::string target = Comparable(full);
  const auto working = ReadGrowing([](char* buffer, std::uint32_t size) { return GetCurrentDirectoryA(size, buffer); });
  if (working && ContainsFolder(target, Comparable(*working))) return true;
  if (!IsDriveRelative(path)) return false;
  const char drive[] = {path[0], ':', '\0'};
  DWORD ignored = 0;
  const auto drive_current = FullPath(drive, ignored);
  return drive_current && ContainsFolder(target, Comparable(*drive_current));
}

// Whether the volume that holds the path has a recycle bin: without one (a share, many removable media) the
// shell deletes for good under FOF_ALLOWUNDO.
bool HasRecycleBin(const std::string& full) {
  char root[MAX_PATH + 1] = {};
  // The count includes the terminator. A mount point inside a folder is its own volume, hence not a lexical root.
  if (!GetVolumePathNameA(full.c_str(), root, static_cast<DWORD>(std::size(root)))) return false;
  SHQUERYRBINFO info{};
  info.cbSize = sizeof info;
  return WithoutMediaPrompt([&] { return SUCCEEDED(SHQueryRecycleBinA(root, &info)); });
}

}  // namespace

int FileRecycle(const char* path) {
  if (const int refusal = RecycleRefusal(path); refusal != 0) return refusal;
  // A relative path is made full against the working directory here: the shell's own resolution of relative
  // names is not documented.
  DWORD code = 0;
  const auto full = FullPath(path, code);
  if (!full) return code != 0 ? static_cast<int>(code) : ERROR_INVALID_NAME;
  const auto list = RecycleList(*full);
  if (!list) return kRecycleDriveRoot;
  // ".", "..", "sub\.." or "C:" would take the game's own folder, files held open included.
  if (NamesAWorkingFolder(path, *full)) return kRecycleWorkingFolder;
  // Missing items are answered here: the shell cannot recycle them, and with the warning asked for below Wine
  // asks the user whether to delete them for good instead (measured: the call waits on its question).
  DWORD missing = 0;
  const bool exists = WithoutMediaPrompt([&] {
    if (GetFileAttributesA(full->c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    missing = GetLastError();
    return false;
  });
  if (!exists) return missing != 0 ? static_cast<int>(missing) : ERROR_FILE_NOT_FOUND;
  if (!HasRecycleBin(*full)) return kRecycleNoBin;

  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = list->c_str();
  // FOF_NOCONFIRMATION alone deletes an item too large for the bin for good without asking (documented);
  // FOF_WANTNUKEWARNING asks the user first, so that nothing is ever deleted for good unasked. Wine asks the
  // same wherever an item cannot go to its trash.
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_SILENT | FOF_NOERRORUI;
  const int answer = WithoutMediaPrompt([&] { return SHFileOperationA(&operation); });
  if (answer != 0) return ShellOperationCode(answer);
  // A "no" to that question aborts: the item is still there.
  return operation.fAnyOperationsAborted ? ERROR_CANCELLED : 0;
}

}  // namespace hostkit::fs
