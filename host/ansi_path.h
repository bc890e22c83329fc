#pragma once
// Wide texts from the platform (dropped names, folder paths) in the ANSI code page that every command speaks,
// without the silent '?' of a character that the code page lacks.
#include <optional>
#include <string>
#include <string_view>

namespace hostkit::host {

// The text in the ANSI code page when it converts exactly (it converts back to the same wide text), else nullopt.
std::optional<std::string> ExactAnsi(std::wstring_view wide);

// The path's short (8.3) form, or nullopt (a volume without short names, or a path that does not exist).
std::optional<std::wstring> ShortPathOf(const std::wstring& path);

// A path in the ANSI code page: exactly, else its short (8.3) name where that converts exactly, else nullopt
// (a volume without short names, or a path that does not exist).
std::optional<std::string> AnsiPath(const std::wstring& path);

}  // namespace hostkit::host
