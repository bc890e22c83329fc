#include "fs/recycle.h"

#include <windows.h>
#include <shellapi.h>

#include "fs/quiet_media.h"
#include "fs/recycle_path.h"
#include "host/grow_buffer.h"

namespace hostkit::fs {

int FileRecycle(const char* path) {
  if (const int refusal = RecycleRefusal(path); refusal != 0) return refusal;
  // A relative path is made full against the working directory here: the shell's own resolution of relative
  // names is not documented. GetFullPathNameA follows ReadGrowing's length rule.
  DWORD code = 0;
  const auto full = ReadGrowing([&](char* buffer, std::uint32_t size) {
    const DWORD count = GetFullPathNameA(path, size, buffer, nullptr);
    code = GetLastError();
    return count;
  });
  if (!full) return code != 0 ? static_cast<int>(code) : ERROR_INVALID_NAME;
  const auto list = RecycleList(*full);
  if (!list) return kRecycleDriveRoot;

  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = list->c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  const int answer = WithoutMediaPrompt([&] { return SHFileOperationA(&operation); });
  if (answer != 0) return answer;
  // Nothing asks, so nothing should abort; were it to happen, the item may still be there.
  return operation.fAnyOperationsAborted ? ERROR_CANCELLED : 0;
}

}  // namespace hostkit::fs
