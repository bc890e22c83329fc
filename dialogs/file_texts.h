#pragma once
// The texts that pass between scripts and the file dialogs: filter lists, selection answers, the initial folder.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostkit::dialogs {

// "Label|pattern|Label|pattern" becomes the dialog's list: every "|" a NUL, and the list ends in two NULs
// whatever the text (an empty text gives just the two NULs, a trailing "|" changes nothing).
std::vector<char> MakeFilterList(std::string_view filter);

// The same text as the item dialog's label and pattern pairs. The list ends at the first empty field, where the
// filter list's double NUL ends it for the hook dialog; a label without its pattern is dropped.
struct FilterPair {
  std::string label;
  std::string pattern;
  friend bool operator==(const FilterPair&, const FilterPair&) = default;
};
std::vector<FilterPair> FilterPairs(std::string_view filter);

// The open dialog's answer as scripts see it. A multiple selection (folder NUL name NUL ... NUL NUL) becomes
// "folder|name|..."; a single path stays as it is. The scan stops at the first NUL NUL and never reads past
// `size` bytes; a buffer without a terminator yields all of it.
std::string JoinSelection(const char* buffer, std::size_t size);

// The item dialog's chosen paths (UTF-16, before the code page) in the form JoinSelection gives the hook dialog's
// answer: one path as it is; several as the folder that holds them all and each name below it, joined by "|". A
// root folder keeps its backslash ("C:\|a.txt"), as the hook dialog gives it. Paths that share no folder (two drives
// of a library view) or an empty list give nothing. The split is made here, before the code page, because a
// double-byte character's trail byte may be a backslash.
std::optional<std::wstring> JoinItemPaths(const std::vector<std::wstring>& paths);

// The initial folder holds at most this many bytes, terminator included, like the platform's MAX_PATH.
inline constexpr std::size_t kInitialDirCapacity = 260;

// The stored form of a script's initial folder: "/" becomes "\". A path that does not fit the capacity
// is refused and gives "" (the platform then picks the starting folder), because a cut path names another folder.
std::string InitialDirFrom(std::string_view path);

// The process-wide initial folder of the open and save dialogs ("" at load).
const std::string& InitialDir();
void StoreInitialDir(std::string dir);

}  // namespace hostkit::dialogs
