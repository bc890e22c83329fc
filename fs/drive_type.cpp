#include "fs/drive_type.h"

#include <iterator>

namespace hostkit::fs {

const char* DriveTypeWord(unsigned type) noexcept {
  static const char* const kWords[] = {"Unknown", "Unavailable", "Removable", "Fixed", "Network", "CD-Rom", "RAM-Disk"};
  return type < std::size(kWords) ? kWords[type] : "";
}

}  // namespace hostkit::fs
