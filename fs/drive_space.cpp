#include "fs/drive_space.h"

#include <windows.h>

#include "fs/quiet_media.h"
#include "fs/space_text.h"

namespace hostkit::fs {

std::string SystemDriveSpace(const char* root, int item) {
  if (!IsDriveSpaceItem(item)) return {};
  ULARGE_INTEGER available{}, total{}, free{};
  const BOOL ok = WithoutMediaPrompt([&] { return GetDiskFreeSpaceExA(root, &available, &total, &free); });
  if (!ok) return {};
  return DriveSpaceText({available.QuadPart, total.QuadPart, free.QuadPart}, item);
}

}  // namespace hostkit::fs
