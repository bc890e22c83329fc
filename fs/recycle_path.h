#pragma once
// The rules of FileRecycle on the path it is given and on that path made full: what is refused before any
// platform call, and the item list that SHFileOperationA takes.
#include <optional>
#include <string>
#include <string_view>

namespace hostkit::fs {

// The platform's codes for the refusals (winerror.h values; this header also builds natively).
inline constexpr int kRecycleEmptyPath = 87;  // ERROR_INVALID_PARAMETER
inline constexpr int kRecycleWildcard = 123;  // ERROR_INVALID_NAME
inline constexpr int kRecycleDriveRoot = 5;   // ERROR_ACCESS_DENIED

// Before the path is made full: 0 to go on, or the refusal. An empty path is refused (made full it would name
// the working directory), and so is a path with * or ?: one item per call, as FileDelete.
int RecycleRefusal(std::string_view path) noexcept;

// The full path, as the list of one item that SHFileOperationA reads: separators at the end removed (the call
// refuses "folder\"), then two terminators. nullopt for a drive root ("C:\") or a share's root
// ("\\server\share"), whose whole content the call would otherwise delete.
std::optional<std::string> RecycleList(std::string_view full_path);

}  // namespace hostkit::fs
