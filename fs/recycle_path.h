#pragma once
// The rules of FileRecycle on the path it is given and on that path made full: what is refused before any
// platform call, the item list that SHFileOperationA takes, and the Win32 code for the call's answer.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostkit::fs {

// The platform's codes for the refusals (winerror.h values; this header also builds natively).
inline constexpr int kRecycleEmptyPath = 87;       // ERROR_INVALID_PARAMETER
inline constexpr int kRecycleWildcard = 123;       // ERROR_INVALID_NAME
inline constexpr int kRecycleNamespace = 123;      // ERROR_INVALID_NAME
inline constexpr int kRecycleDriveRoot = 5;        // ERROR_ACCESS_DENIED
inline constexpr int kRecycleWorkingFolder = 16;   // ERROR_CURRENT_DIRECTORY
inline constexpr int kRecycleNoBin = 50;           // ERROR_NOT_SUPPORTED
inline constexpr int kRecycleUnknownFailure = 31;  // ERROR_GEN_FAILURE

// Before the path is made full, and again on the full path: 0 to go on, or the refusal. An empty path is
// refused (made full it would name the working directory); so are a device or namespace path, which the
// system takes past its usual parsing (a volume by its GUID, a device, a name no full path of the working
// folder spells), a path with * or ? (one item per call, as FileDelete), and a network path, which has no
// recycle bin (the shell would delete the item for good, or answer codes of its own).
int RecycleRefusal(std::string_view path) noexcept;

// "\\.\", "\\?\" or "\??\" at the start, with either separator ("//./" too), or the bare "\\." and "\\?": the
// device and namespace forms.
bool IsNamespacePath(std::string_view path) noexcept;

// Two separators at the start of a path that is not a device or namespace form: "\\server\share\x", "//server/x".
bool IsNetworkPath(std::string_view path) noexcept;

// The folder and every folder above it up to its root, innermost first: "C:\a\b" gives "C:\a\b", "C:\a" and
// "C:\", "\\server\share\a" gives "\\server\share\a" and "\\server\share\". Roots keep a separator at
// their end ("C:" alone would name the drive's current folder); separators at the end of the others go.
std::vector<std::string> FolderAndFoldersAbove(std::string_view full_path);

// The everyday form of a path that GetFinalPathNameByHandle answers: "\\?\C:\x" gives "C:\x",
// "\\?\UNC\server\share" gives "\\server\share"; other paths come back unchanged.
std::string WithoutLongPrefix(std::string_view path);

// The full path, as the list of one item that SHFileOperationA reads: separators at the end removed (the call
// refuses "folder\"), then two terminators. nullopt for a drive root ("C:\") or a share's root
// ("\\server\share"), whose whole content the call would otherwise delete.
std::optional<std::string> RecycleList(std::string_view full_path);

// Whether the full path names the folder `working` or a folder that contains it, component by component. Both
// are compared as given: the caller folds their case and long names first. Separators may be '\' or '/'.
bool ContainsFolder(std::string_view full_path, std::string_view working) noexcept;

// "X:" followed by anything but a separator: relative to the drive's own current folder, "X:" names it.
bool IsDriveRelative(std::string_view path) noexcept;

// SHFileOperationA answers its own DE_ codes (0x71 to 0xB7, 0x402, and 0x10000 for "on the destination"), which
// overlap winerror.h with other meanings, beside plain Win32 codes: the Win32 code for its answer.
int ShellOperationCode(int answer) noexcept;

}  // namespace hostkit::fs
