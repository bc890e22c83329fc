#pragma once
// Volume information, queried once per drive path and kept until another path is asked for.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace hostkit::fs {

struct VolumeInfo {
  std::string volume_name;
  std::string file_system;
  std::uint32_t serial = 0;
  std::uint32_t max_component = 0;
};

// The platform's volume query for a normalised root: fills the names and numbers, false on failure.
// It receives the names empty and the numbers as the last query left them.
using VolumeQuery = std::function<bool(const std::string& root, VolumeInfo& info)>;

// The cache key of a drive path: the path with a backslash appended unless it already ends in one,
// so "C:" and "C:\" share a key. The comparison is exact, so "c:" is another drive.
std::string VolumeKey(std::string_view path);

class VolumeCache {
 public:
  // Selector 0: serial "%08X"; 1: maximum component length "%d"; 2: file-system name; 3: volume name;
  // anything else "". An empty path answers "" without a query; any other path not in the cache is
  // queried before the selector is looked at.
  std::string Read(std::string_view path, int selector, const VolumeQuery& query);

  const std::string& key() const noexcept { return key_; }

 private:
  std::string key_;
  VolumeInfo info_;
};

}  // namespace hostkit::fs
