#include "dialogs/file_texts.h"

#include <algorithm>

namespace hostkit::dialogs {
namespace {

std::string g_initial_dir;

}  // namespace

std::vector<char> MakeFilterList(std::string_view filter) {
  std::vector<char> list(filter.size() + 2, '\0');
  std::copy(filter.begin(), filter.end(), list.begin());
  std::replace(list.begin(), list.end(), '|', '\0');
  return list;
}

std::vector<FilterPair> FilterPairs(std::string_view filter) {
  std::vector<FilterPair> pairs;
  // Each step takes the field up to the next "|" (or the end) and drops it from the text; an empty field
  // ends the list.
  auto next = [&filter]() -> std::optional<std::string> {
    const std::size_t bar = filter.find('|');
    const std::string_view field = filter.substr(0, bar);
    filter.remove_prefix(bar == std::string_view::npos ? filter.size() : bar + 1);
    if (field.empty()) return std::nullopt;
    return std::string(field);
  };
  while (true) {
    auto label = next();
    if (!label) break;
    auto pattern = next();
    if (!pattern) break;
    pairs.push_back({std::move(*label), std::move(*pattern)});
  }
  return pairs;
}

std::string JoinSelection(const char* buffer, std::size_t size) {
  if (buffer == nullptr) return {};
  std::size_t end = 0;
  while (end < size && !(buffer[end] == '\0' && (end + 1 >= size || buffer[end + 1] == '\0'))) ++end;
  std::string text(buffer, end);
  std::replace(text.begin(), text.end(), '\0', '|');
  return text;
}

std::optional<std::wstring> JoinItemPaths(const std::vector<std::wstring>& paths) {
  if (paths.empty()) return std::nullopt;
  if (paths.size() == 1) return paths.front();
  // The folder: the longest prefix ending in a backslash that every path shares.
  std::size_t folder_end = paths.front().rfind(L'\\');
  if (folder_end == std::wstring::npos) return std::nullopt;
  ++folder_end;
  for (const std::wstring& path : paths) {
    std::size_t same = 0;
    while (same < folder_end && same < path.size() && path[same] == paths.front()[same]) ++same;
    if (same == 0) return std::nullopt;
    folder_end = paths.front().rfind(L'\\', same - 1);
    if (folder_end == std::wstring::npos || path.size() <= folder_end + 1) return std::nullopt;
    ++folder_end;
  }
  // A drive's root keeps its backslash ("C:\|a.txt"); any other folder loses it ("C:\Data|a.txt").
  const bool root = folder_end == 3 && paths.front()[1] == L':';
  std::wstring text = paths.front().substr(0, root ? folder_end : folder_end - 1);
  for (const std::wstring& path : paths) text += L'|' + path.substr(folder_end);
  return text;
}

std::string InitialDirFrom(std::string_view path) {
  if (path.size() >= kInitialDirCapacity) return {};
  std::string dir(path);
  std::replace(dir.begin(), dir.end(), '/', '\\');
  return dir;
}

const std::string& InitialDir() { return g_initial_dir; }
void StoreInitialDir(std::string dir) { g_initial_dir = std::move(dir); }

}  // namespace hostkit::dialogs
