#include "fs/volume_cache.h"

#include <cstdio>

namespace hostkit::fs {

std::string VolumeKey(std::string_view path) {
  std::string key(path);
  if (key.empty() || key.back() != '\\') key += '\\';
  return key;
}

std::string VolumeCache::Read(std::string_view path, int selector, const VolumeQuery& query) {
  if (path.empty()) return {};
  std::string wanted = VolumeKey(path);
  if (wanted != key_) {
    // The key names a drive only while the fields hold its successful query.
    key_.clear();
    info_.volume_name.clear();
    info_.file_system.clear();
    if (query(wanted, info_)) {
      key_ = std::move(wanted);
    } else {
      info_.volume_name.clear();
      info_.file_system.clear();
    }
  }
  char number[16];
  switch (selector) {
    case 0:
      std::snprintf(number, sizeof number, "%08X", static_cast<unsigned>(info_.serial));
      return number;
    case 1:
      std::snprintf(number, sizeof number, "%d", static_cast<int>(info_.max_component));
      return number;
    case 2:
      return info_.file_system;
    case 3:
      return info_.volume_name;
    default:
      return {};
  }
}

}  // namespace hostkit::fs
