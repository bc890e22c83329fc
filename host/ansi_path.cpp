#include "host/ansi_path.h"

#include <windows.h>

namespace hostkit::host {

std::optional<std::string> ExactAnsi(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int wide_length = static_cast<int>(wide.size());
  // Lengths without a terminator here: the input's length is given.
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::nullopt;
  std::string text(static_cast<std::size_t>(length), '\0');
  if (::WideCharToMultiByte(CP_ACP, 0, wide.data(), wide_length, text.data(), length, nullptr, nullptr) != length)
    return std::nullopt;
  // A character without a place in the code page became '?' or a look-alike (best fit): the way back shows it.
  // The round trip holds in every code page, UTF-8 included, where the flags that report it are refused.
  std::wstring back(wide.size(), L'\0');
  if (::MultiByteToWideChar(CP_ACP, 0, text.data(), length, back.data(), wide_length) != wide_length)
    return std::nullopt;
  if (back != wide) return std::nullopt;
  return text;
}

std::optional<std::wstring> ShortPathOf(const std::wstring& path) {
  // With a null buffer the answer is the size needed, terminator included; with room, the length without it.
  const DWORD needed = ::GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;
  std::wstring short_path(needed, L'\0');
  const DWORD length = ::GetShortPathNameW(path.c_str(), short_path.data(), needed);
  if (length == 0 || length >= needed) return std::nullopt;
  short_path.resize(length);
  return short_path;
}

std::optional<std::string> AnsiPath(const std::wstring& path) {
  if (auto exact = ExactAnsi(path)) return exact;
  const auto short_path = ShortPathOf(path);
  if (!short_path) return std::nullopt;
  return ExactAnsi(*short_path);
}

}  // namespace hostkit::host
