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

std::string JoinSelection(const char* buffer, std::size_t size) {
  if (buffer == nullptr) return {};
  std::size_t end = 0;
  while (end < size && !(buffer[end] == '\0' && (end + 1 >= size || buffer[end + 1] == '\0'))) ++end;
  std::string text(buffer, end);
  std::replace(text.begin(), text.end(), '\0', '|');
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
