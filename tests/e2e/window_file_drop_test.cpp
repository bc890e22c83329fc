// Files dropped on the host window under Wine: the test builds drop handles as the shell does (a DROPFILES block in
// global memory) and sends WM_DROPFILES to a host double whose own window procedure counts what reaches it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/win_handle.h"
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
HGLOBAL MakeDropBlock(const std::vector<char>& names, bool wide) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = wide;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
  GlobalUnlock(block);
  return block;
}

HGLOBAL MakeWideDrop(const std::vector<std::wstring>& names) {
  std::vector<char> list;
  for (const std::wstring& name : names) {
    const auto* bytes = reinterpret_cast<const char*>(name.c_str());
    list.insert(list.end(), bytes, bytes + (name.size() + 1) * sizeof(wchar_t));
  }
  list.resize(list.size() + sizeof(wchar_t), '\0');
  return MakeDropBlock(list, true);
}

HGLOBAL MakeDrop(const std::vector<std::string>& names, bool wide) {
  if (wide) {
    std::vector<std::wstring> w;
    for (const std::string& name : names) w.emplace_back(name.begin(), name.end());  // plain ASCII names
    return MakeWideDrop(w);
  }
  std::vector<char> list;
  for (const std::string& name : names) list.insert(list.end(), name.c_str(), name.c_str() + name.size() + 1);
  list.push_back('\0');
  return MakeDropBlock(list, false);
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

// "Off" took the accept-files style from a host that had it itself, and its drops never reached it again; a late
// drop for a window that takes none was handed to a procedure that never releases it.
TEST(FileDrop, OffGivesTheHostItsOwnDropsBackAndFinishesLateOnes) {
  auto& host = Host();
  HWND window = host.window();
  const auto send = [&] {
    HGLOBAL drop = MakeDrop({"C:\\sent.txt"}, true);
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    return drop;
  };
  // Never turned on, and the window takes no drops: nothing for the host, the handle is finished.
  host.Run("EnableFileDrop", 0);
  EXPECT_EQ(GlobalSize(send()), 0u);
  host.Run("EnableFileDrop", 1);
  host.Run("EnableFileDrop", 0);
  EXPECT_EQ(ExStyle() & WS_EX_ACCEPTFILES, 0);
  EXPECT_EQ(GlobalSize(send()), 0u);
  EXPECT_EQ(g_host_saw_drops, 0);
  EXPECT_EQ(host.Str("GetDroppedFiles"), "");

  // A host that accepts drops itself: "on" takes them, "off" gives them back and keeps the style.
  DragAcceptFiles(window, TRUE);
  host.Run("EnableFileDrop", 1);
  host.Run("EnableFileDrop", 1);
  EXPECT_EQ(GlobalSize(send()), 0u);
  EXPECT_EQ(g_host_saw_drops, 0);
  host.Run("EnableFileDrop", 0);
  EXPECT_NE(ExStyle() & WS_EX_ACCEPTFILES, 0);
  HGLOBAL drop = send();
  EXPECT_EQ(g_host_saw_drops, 1);
  EXPECT_NE(GlobalSize(drop), 0u);  // the host's procedure (DefWindowProc) leaves it alone
  GlobalFree(drop);
  EXPECT_EQ(host.Str("GetDroppedFiles"), "C:\\sent.txt");
}

// The record was cleared before the host had the answer: a refused buffer lost the names.
TEST(FileDrop, NamesStayWhenTheHostRefusesTheBuffer) {
  auto& host = Host();
  host.Run("EnableFileDrop", 1);
  SendMessageA(host.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\kept.txt"}, true)), 0);
  HostDouble::RefuseStrings(true);
  EXPECT_EQ(host.Str("GetDroppedFiles"), std::nullopt);
  HostDouble::RefuseStrings(false);
  SendMessageA(host.window(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"C:\\later.txt"}, true)), 0);
  EXPECT_EQ(host.Str("GetDroppedFiles"), "C:\\kept.txt|C:\\later.txt");
  EXPECT_EQ(host.Str("GetDroppedFiles"), "");
}

// The ANSI reading of a wide drop turned a dropped 中文.txt into "...\??.txt", a name that does not exist.
TEST(FileDrop, AWideNameComesExactlyOrAsItsShortNameOrNotAtAll) {
  auto& host = Host();
  host.Run("EnableFileDrop", 1);
  e2e::TempDir dir;
  const std::wstring folder(dir.path().begin(), dir.path().end());  // the temporary folder's path is ASCII
  const std::wstring chinese = folder + L"\\\u4E2D\u6587.txt", accented = folder + L"\\caf\u00E9.txt";
  for (const std::wstring& name : {chinese, accented}) {
    hostkit::win::UniqueFile file(
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
  }
  wchar_t short_name[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(chinese.c_str(), short_name, MAX_PATH), 0u);
  std::string expected_short;
  for (const wchar_t* c = short_name; *c != 0; ++c) {
    ASSERT_LT(*c, 0x80) << "the short name is ASCII";
    expected_short += static_cast<char>(*c);
  }
  SendMessageA(host.window(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeWideDrop({chinese, accented, folder + L"\\\u4E2D-missing.txt"})), 0);
  // The missing name has no short name: it is left out.
  EXPECT_EQ(host.Str("GetDroppedFiles"), expected_short + "|" + dir.path() + "\\caf\xE9.txt");
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
