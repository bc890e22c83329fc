#pragma once
// The Win32 code for a failed ShellExecuteExA, from its answer in SHELLEXECUTEINFO.hInstApp (an SE_ERR_ value)
// and the thread's last error (portable rule).
#include <cstdint>

namespace hostkit::window {

inline constexpr int kShellUnknownFailure = 31;  // ERROR_GEN_FAILURE

// The shell's answer decides where the last error differs between releases (a type with no program: Windows
// 1155, Wine 8 193, Wine 10 6) or says nothing of it (DDE, a missing DLL, sharing). For "not found", "access
// denied" and "out of memory" the last error is kept where there is one: it tells a missing folder (3) from a
// missing file (2), where the shell's answer says SE_ERR_FNF for both (measured under Wine). 31 without either.
int ShellExecuteCode(std::intptr_t inst_app, std::uint32_t last_error) noexcept;

}  // namespace hostkit::window
