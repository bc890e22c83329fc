// Another program on the clipboard, for the Wine tests:
//   clipboard_holder hold READY RELEASE MS  opens the clipboard, sets event READY, keeps it open for MS
//                                           milliseconds (MS < 0: until event RELEASE is set, at most 60 s), closes
//   clipboard_holder empty                  empties the clipboard
//   clipboard_holder check BYTES            reads CF_TEXT and compares it with the tests' pattern of BYTES bytes
// Exit code 0 when it did so; others say what failed.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/win_handle.h"
#include "tests/e2e/probe/clipboard_pattern.h"

namespace {

int Hold(const char* ready_name, const char* release_name, int ms) {
  const hostkit::win::UniqueHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, ready_name));
  const hostkit::win::UniqueHandle release(OpenEventA(SYNCHRONIZE, FALSE, release_name));
  if (!ready || !release) return 10;
  if (!OpenClipboard(nullptr)) return 11;
  SetEvent(ready.get());
  if (ms >= 0)
    Sleep(static_cast<DWORD>(ms));
  else
    WaitForSingleObject(release.get(), 60000);
  CloseClipboard();
  return 0;
}

int Empty() {
  if (!OpenClipboard(nullptr)) return 11;
  const BOOL ok = EmptyClipboard();
  CloseClipboard();
  return ok ? 0 : 12;
}

int Check(std::size_t bytes) {
  if (!OpenClipboard(nullptr)) return 11;
  int code = 13;
  if (HANDLE block = GetClipboardData(CF_TEXT)) {
    const char* text = static_cast<const char*>(GlobalLock(block));
    if (text != nullptr) {
      const std::string expected = e2e::ClipboardPattern(bytes);
      code = strnlen(text, GlobalSize(block)) == bytes && std::memcmp(text, expected.data(), bytes) == 0 ? 0 : 14;
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "hold" && argc == 5) return Hold(argv[2], argv[3], std::atoi(argv[4]));
  if (mode == "empty") return Empty();
  if (mode == "check" && argc == 3) return Check(std::strtoul(argv[2], nullptr, 10));
  return 2;
}
