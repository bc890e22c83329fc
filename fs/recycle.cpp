#include "fs/recycle.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "fs/quiet_media.h"
#include "fs/recycle_path.h"
#include "host/grow_buffer.h"
#include "host/win_handle.h"

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

// What a file or folder is, whatever name reaches it: its volume's serial number and its index on that volume.
struct Identity {
  DWORD volume = 0, index_high = 0, index_low = 0;
  bool operator==(const Identity&) const = default;
};

// Opened for its attributes only, sharing everything, so that an item another program holds open is read too;
// backup semantics open a folder. Links, junctions and mounted folders are followed to what they lead to.
// `code` gets the call's error when it fails.
win::UniqueFile OpenForIdentity(const char* path, DWORD& code) {
  return WithoutMediaPrompt([&] {
    win::UniqueFile handle(CreateFileA(path, FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    code = handle ? 0 : GetLastError();
    return handle;
  });
}

// nullopt when the handle's information cannot be read, or when the file system gives every item the index 0
// (then identities tell nothing, and the comparison of names is all there is).
std::optional<Identity> IdentityOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  if (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) return std::nullopt;
  return Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The working folder and every folder above it, both along the path it was set with and along its final path,
// where links, junctions and SUBST drives are resolved: set through a junction, the working folder's real parent
// is on neither path of the other. Folders that cannot be opened are left out.
std::vector<Identity> WorkingFolderIdentities() {
  std::vector<Identity> identities;
  const auto working = ReadGrowing([](char* buffer, std::uint32_t size) { return GetCurrentDirectoryA(size, buffer); });
  if (!working) return identities;
  std::vector<std::string> folders = FolderAndFoldersAbove(*working);
  DWORD ignored = 0;
  if (const win::UniqueFile handle = OpenForIdentity(working->c_str(), ignored)) {
    const auto final_path = ReadGrowing([&](char* buffer, std::uint32_t size) {
      return GetFinalPathNameByHandleA(handle.get(), buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    if (final_path) {
      std::vector<std::string> resolved = FolderAndFoldersAbove(WithoutLongPrefix(*final_path));
      folders.insert(folders.end(), resolved.begin(), resolved.end());
    }
  }
  for (const std::string& folder : folders) {
    if (const win::UniqueFile handle = OpenForIdentity(folder.c_str(), ignored)) {
      if (const auto identity = IdentityOf(handle.get())) identities.push_back(*identity);
    }
  }
  return identities;
}

// For an existing folder: 0 when it neither is the working folder nor lies above it, whatever name reaches it,
// else 16; the system's code when the folder cannot be opened to tell (it might be either).
int FolderIdentityRefusal(const std::string& full) {
  DWORD code = 0;
  const win::UniqueFile handle = OpenForIdentity(full.c_str(), code);
  if (!handle) return code != 0 ? static_cast<int>(code) : ERROR_ACCESS_DENIED;
  const auto identity = IdentityOf(handle.get());
  if (!identity) return 0;
  const std::vector<Identity> protected_folders = WorkingFolderIdentities();
  return std::find(protected_folders.begin(), protected_folders.end(), *identity) != protected_folders.end()
             ? kRecycleWorkingFolder
             : 0;
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
  // Made full, a relative path is a network path when the working folder is on a share, and a device's name
  // ("nul", "saves\con") becomes its device form.
  if (const int refusal = RecycleRefusal(*full); refusal != 0) return refusal;
  const auto list = RecycleList(*full);
  if (!list) return kRecycleDriveRoot;
  // ".", "..", "sub\.." or "C:" would take the game's own folder, files held open included. The names are
  // compared first, without opening anything; the folder's identity below catches the other names.
  if (NamesAWorkingFolder(path, *full)) return kRecycleWorkingFolder;
  // Missing items are answered here: the shell cannot recycle them, and with the warning asked for below Wine
  // asks the user whether to delete them for good instead (measured: the call waits on its question).
  DWORD missing = 0;
  const DWORD attributes = WithoutMediaPrompt([&] {
    const DWORD read = GetFileAttributesA(full->c_str());
    if (read == INVALID_FILE_ATTRIBUTES) missing = GetLastError();
    return read;
  });
  if (attributes == INVALID_FILE_ATTRIBUTES) return missing != 0 ? static_cast<int>(missing) : ERROR_FILE_NOT_FOUND;
  // Another name of the working folder or of a folder above it: Wine's Z: drive, a junction, a symbolic link, a
  // SUBST drive, a mounted folder. A file cannot hold the working folder.
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if (const int refusal = FolderIdentityRefusal(*full); refusal != 0) return refusal;
  }
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
