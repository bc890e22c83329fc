#include "fs/recycle_path.h"

#include <algorithm>
#include <iterator>

namespace hostkit::fs {
namespace {

bool IsSeparator(char c) noexcept { return c == '\\' || c == '/'; }

// "C:" or a UNC path of at most two parts ("\\server", "\\server\share"), with no separator at its end.
bool IsRoot(std::string_view path) noexcept {
  if (path.size() == 2 && path[1] == ':') return true;
  if (path.size() < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
  const std::string_view rest = path.substr(2);
  return std::count_if(rest.begin(), rest.end(), IsSeparator) <= 1;
}

std::string_view WithoutEndSeparators(std::string_view path) noexcept {
  while (!path.empty() && IsSeparator(path.back())) path.remove_suffix(1);
  return path;
}

// The length of the path's root without its end separator: 2 for "C:\...", the length of "\\server\share" for a
// network path, 0 for a path without one.
std::size_t RootLength(std::string_view path) noexcept {
  if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) return 2;
  if (!IsNetworkPath(path)) return 0;
  const auto server_end = std::find_if(path.begin() + 2, path.end(), IsSeparator);
  if (server_end == path.end()) return path.size();
  return static_cast<std::size_t>(std::find_if(server_end + 1, path.end(), IsSeparator) - path.begin());
}

bool SameBytes(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && !(IsSeparator(a[i]) && IsSeparator(b[i]))) return false;
  }
  return true;
}

}  // namespace

int RecycleRefusal(std::string_view path) noexcept {
  if (path.empty()) return kRecycleEmptyPath;
  if (IsNamespacePath(path)) return kRecycleNamespace;
  if (path.find_first_of("*?") != std::string_view::npos) return kRecycleWildcard;
  if (IsNetworkPath(path)) return kRecycleNoBin;
  return 0;
}

bool IsNamespacePath(std::string_view path) noexcept {
  if (path.size() < 3 || !IsSeparator(path[0])) return false;
  const bool device = IsSeparator(path[1]) && (path[2] == '.' || path[2] == '?');  // "\\." and "\\?"
  const bool object_manager = path[1] == '?' && path[2] == '?';                    // "\??"
  return (device || object_manager) && (path.size() == 3 || IsSeparator(path[3]));
}

bool IsNetworkPath(std::string_view path) noexcept {
  return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsNamespacePath(path);
}

std::vector<std::string> FolderAndFoldersAbove(std::string_view full_path) {
  const std::size_t root = RootLength(full_path);
  std::vector<std::string> folders;
  std::string_view folder = WithoutEndSeparators(full_path);
  while (folder.size() > root) {
    folders.emplace_back(folder);
    const std::size_t cut = folder.find_last_of("\\/");
    if (cut == std::string_view::npos) break;
    folder = WithoutEndSeparators(folder.substr(0, cut));
  }
  if (root != 0) folders.push_back(std::string(full_path.substr(0, root)) + '\\');
  return folders;
}

std::string WithoutLongPrefix(std::string_view path) {
  constexpr std::string_view kPrefix = "\\\\?\\", kNetwork = "UNC\\";
  if (path.substr(0, kPrefix.size()) != kPrefix) return std::string(path);
  path.remove_prefix(kPrefix.size());
  if (path.substr(0, kNetwork.size()) != kNetwork) return std::string(path);
  return "\\\\" + std::string(path.substr(kNetwork.size()));
}

std::optional<std::string> RecycleList(std::string_view full_path) {
  full_path = WithoutEndSeparators(full_path);
  if (full_path.empty() || IsRoot(full_path)) return std::nullopt;
  std::string list(full_path);
  list.append(2, '\0');
  return list;
}

bool ContainsFolder(std::string_view full_path, std::string_view working) noexcept {
  full_path = WithoutEndSeparators(full_path);
  working = WithoutEndSeparators(working);
  if (full_path.empty() || full_path.size() > working.size()) return false;
  if (!SameBytes(full_path, working.substr(0, full_path.size()))) return false;
  // "C:\game" contains "C:\game\data" but not "C:\games".
  return working.size() == full_path.size() || IsSeparator(working[full_path.size()]);
}

bool IsDriveRelative(std::string_view path) noexcept {
  return path.size() >= 2 && path[1] == ':' && (path.size() == 2 || !IsSeparator(path[2]));
}

int ShellOperationCode(int answer) noexcept {
  struct Translation {
    int shell, win32;
  };
  // The DE_ codes of a delete, with the Win32 code of the same meaning. Those that only a copy or a move can
  // answer (same file, several destinations, a folder into itself, a CD as destination) have none.
  static constexpr Translation kTable[] = {
      {0x74, 5},     // DE_ROOTDIR: the source is a root (ERROR_ACCESS_DENIED)
      {0x75, 1223},  // DE_OPCANCELLED (ERROR_CANCELLED)
      {0x78, 5},     // DE_ACCESSDENIEDSRC
      {0x79, 206},   // DE_PATHTOODEEP (ERROR_FILENAME_EXCED_RANGE)
      {0x7C, 3},     // DE_INVALIDFILES: a path in a missing folder, measured under Wine (ERROR_PATH_NOT_FOUND)
      {0x81, 206},   // DE_FILENAMETOOLONG
      {0x85, 223},   // DE_FILE_TOO_LARGE (ERROR_FILE_TOO_LARGE)
      {0x86, 19},    // DE_SRC_IS_CDROM (ERROR_WRITE_PROTECT)
      {0x87, 19},    // DE_SRC_IS_DVD
      {0x88, 19},    // DE_SRC_IS_CDRECORD
      {0xB7, 206},   // DE_ERROR_MAX: MAX_PATH exceeded during the operation
      {0x402, 3},    // "unknown error", documented as typically an invalid path
  };
  static constexpr int kCopyOnly[] = {0x71, 0x72, 0x73, 0x76, 0x7A, 0x7D, 0x7E, 0x80, 0x82, 0x83, 0x84};
  constexpr int kErrorOnDestination = 0x10000;  // a delete has no destination
  if ((answer & kErrorOnDestination) != 0) return kRecycleUnknownFailure;
  for (const Translation& t : kTable)
    if (t.shell == answer) return t.win32;
  if (std::find(std::begin(kCopyOnly), std::end(kCopyOnly), answer) != std::end(kCopyOnly))
    return kRecycleUnknownFailure;
  // Everything else is a plain Win32 code (a missing file answers 2, a file held open 32), or 0.
  return answer;
}

}  // namespace hostkit::fs
