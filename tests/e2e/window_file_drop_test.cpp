// Files dropped on the host window under Wine: the test builds drop handles as the shell does (a DROPFILES block in
// global memory) and sends WM_DROPFILES to a host double whose own window procedure counts what reaches it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/harness/process.h"
#include "tools/hostrun/host_double.h"

namespace {

using hostrun::HostDouble;

int g_host_saw_drops = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DROPFILES) ++g_host_saw_drops;
  return DefWindowProcA(window, message, wparam, lparam);
}

HostDouble& Host() {
  static HostDouble host([] {
    hostrun::Options options;
    options.window_proc = &CountingProc;
    return options;
  }());
  return host;
}

// A drop handle holding the names, in the shell's wide form (as Explorer makes it) or in the ANSI form.
HGLOBAL MakeDrop(const std::vector<std::string>& names, bool wide) {
  std::vector<char> list;
  for (const std::string& name : names) {
    if (wide) {
      std::wstring w(name.begin(), name.end());  // the tests' wide names are plain ASCII
      const auto* bytes = reinterpret_cast<const char*>(w.c_str());
      list.insert(list.end(), bytes, bytes + (w.size() + 1) * sizeof(wchar_t));
    } else {
      list.insert(list.end(), name.c_str(), name.c_str() + name.size() + 1);
    }
  }
  list.resize(list.size() + (wide ? sizeof(wchar_t) : 1), '\0');
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = wide;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(block);
  return block;
}

std::string Joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : "|") + name;
  return text;
}

LONG ExStyle() { return GetWindowLongA(Host().window(), GWL_EXSTYLE); }

TEST(FileDrop, DropsComeBackJoinedOldestFirstAndReadingClearsThem) {
  auto& host = Host();
  host.Run("EnableFileDrop", 1);
  EXPECT_NE(ExStyle() & WS_EX_ACCEPTFILES, 0);
  const std::vector<std::string> first = {"C:\\games\\level 1.map", "C:\\games\\skins"};
  const std::vector<std::string> second = {"C:\\users\\caf\xE9\\\x80\xFF.txt"};

  HGLOBAL drop = MakeDrop(first, true);
  EXPECT_EQ(SendMessageA(host.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0), 0);
  // The message is recorded as every message is, and the handle is released: the block is gone.
  EXPECT_EQ(host.Int("GetWindowMessage"), WM_DROPFILES);
  EXPECT_EQ(host.Int("GetWindowParamW"), static_cast<int>(reinterpret_cast<INT_PTR>(drop)));
  EXPECT_EQ(GlobalSize(drop), 0u);
  SendMessageA(host.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(second, false)), 0);

  EXPECT_EQ(host.Str("GetDroppedFiles"), Joined(first) + "|" + Joined(second));
  EXPECT_EQ(host.Str("GetDroppedFiles"), "");
  EXPECT_EQ(g_host_saw_drops, 0);
}

TEST(FileDrop, AThousandLongNamesComeBackWhole) {
  auto& host = Host();
  host.Run("EnableFileDrop", 1);
  std::vector<std::string> names;
  for (int i = 0; i < 1000; ++i) names.push_back("C:\\drops\\" + std::string(240, 'n') + std::to_string(i) + ".txt");
  names.push_back("\\\\?\\C:\\drops\\" + std::string(1000, 'x'));  // longer than 260: no fixed buffer
  SendMessageA(host.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names, true)), 0);
  EXPECT_EQ(host.Str("GetDroppedFiles"), Joined(names));
}

TEST(FileDrop, WhileOffDropsGoToTheHostAndAreNotRecorded) {
  auto& host = Host();
  const auto send_and_free = [&] {
    HGLOBAL drop = MakeDrop({"C:\\ignored.txt"}, true);
    SendMessageA(host.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    GlobalFree(drop);  // the host's procedure (DefWindowProc) leaves it alone
  };
  send_and_free();  // never turned on
  EXPECT_EQ(g_host_saw_drops, 1);
  EXPECT_EQ(host.Str("GetDroppedFiles"), "");

  host.Run("EnableFileDrop", 1);
  host.Run("EnableFileDrop", 0);
  EXPECT_EQ(ExStyle() & WS_EX_ACCEPTFILES, 0);
  send_and_free();
  EXPECT_EQ(g_host_saw_drops, 2);
  EXPECT_EQ(host.Str("GetDroppedFiles"), "");
}

TEST(FileDrop, WithoutAHostWindowNothingHappens) {
  hostrun::Options options;
  options.window = false;
  HostDouble host(options);
  host.Run("EnableFileDrop", 1);
  EXPECT_EQ(host.Int("Init"), 0);
  EXPECT_EQ(host.Str("GetDroppedFiles"), "");
}

}  // namespace
