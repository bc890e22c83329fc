#include "fs/recycle_path.h"

#include <algorithm>

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

}  // namespace

int RecycleRefusal(std::string_view path) noexcept {
  if (path.empty()) return kRecycleEmptyPath;
  if (path.find_first_of("*?") != std::string_view::npos) return kRecycleWildcard;
  return 0;
}

std::optional<std::string> RecycleList(std::string_view full_path) {
  while (!full_path.empty() && IsSeparator(full_path.back())) full_path.remove_suffix(1);
  if (full_path.empty() || IsRoot(full_path)) return std::nullopt;
  std::string list(full_path);
  list.append(2, '\0');
  return list;
}

}  // namespace hostkit::fs
