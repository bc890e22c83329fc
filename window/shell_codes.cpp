#include "window/shell_codes.h"

namespace hostkit::window {

int ShellExecuteCode(std::intptr_t inst_app, std::uint32_t last_error) noexcept {
  struct Translation {
    std::intptr_t se_err;
    int win32;
    bool decides;  // over the last error
  };
  static constexpr Translation kTable[] = {
      {2, 2, false},     // SE_ERR_FNF: ERROR_FILE_NOT_FOUND
      {3, 3, false},     // SE_ERR_PNF: ERROR_PATH_NOT_FOUND
      {5, 5, false},     // SE_ERR_ACCESSDENIED: ERROR_ACCESS_DENIED
      {8, 8, false},     // SE_ERR_OOM: ERROR_NOT_ENOUGH_MEMORY
      {11, 193, false},  // ERROR_BAD_FORMAT, the program is none of this platform: ERROR_BAD_EXE_FORMAT
      {26, 32, true},    // SE_ERR_SHARE: ERROR_SHARING_VIOLATION
      {27, 1155, true},  // SE_ERR_ASSOCINCOMPLETE: ERROR_NO_ASSOCIATION
      {28, 1156, true},  // SE_ERR_DDETIMEOUT: ERROR_DDE_FAIL
      {29, 1156, true},  // SE_ERR_DDEFAIL
      {30, 1156, true},  // SE_ERR_DDEBUSY
      {31, 1155, true},  // SE_ERR_NOASSOC
      {32, 1157, true},  // SE_ERR_DLLNOTFOUND: ERROR_DLL_NOT_FOUND
  };
  int translated = 0;
  for (const Translation& t : kTable) {
    if (t.se_err != inst_app) continue;
    if (t.decides) return t.win32;
    translated = t.win32;
  }
  if (last_error != 0) return static_cast<int>(last_error);
  return translated != 0 ? translated : kShellUnknownFailure;
}

}  // namespace hostkit::window
