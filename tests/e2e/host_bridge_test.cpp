// The host bridge in real Wine processes: linkage, window discovery, message capture, and the host double.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <string_view>
#include <utility>

#include "exports/export_table.h"
#include "host/win_handle.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"
#include "tests/e2e/harness/window_driver.h"
#include "tools/hostrun/pe_image.h"
#include "version.h"  // the project version, from which the version resource is made

namespace {

using hostkit::exports::ExportRow;
using hostkit::exports::kExportTable;
using hostrun::HostDouble;
using hostrun::Options;

using e2e::MakeWindow;

Options NoWindow() {
  Options o;
  o.window = false;
  return o;
}

TEST(HostLink, LooksUpBothFunctionsOnceInOrderAndAnswersTheSecond) {
  HostDouble& host = e2e::Host();
  EXPECT_EQ(HostDouble::Lookups(), (std::vector<std::string>{"CREATESTRING_S_L", "DELETESTRING_0_S"}));
  EXPECT_EQ(host.link_answer(), HostDouble::DeleteStringAddress());
}

// The DLL's export directory against commands.table, name by name, and each name bound to its row's function:
// rows that share a function (FileMove, FolderMove) share an address, all others have one of their own.
TEST(HostLink, ExportDirectoryHoldsExactlyTheTable) {
  const HMODULE module = e2e::Host().module();
  std::vector<std::string> expected;
  for (const ExportRow& row : kExportTable) expected.emplace_back(row.decorated);
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> actual = hostrun::ExportNames(module);
  std::sort(actual.begin(), actual.end());
  EXPECT_EQ(actual, expected);

  std::map<FARPROC, std::string_view> symbol_at;
  std::map<std::string_view, FARPROC> address_of;
  for (const ExportRow& row : kExportTable) {
    const FARPROC address = GetProcAddress(module, std::string(row.decorated).c_str());
    ASSERT_NE(address, nullptr) << row.decorated;
    EXPECT_EQ(symbol_at.emplace(address, row.symbol).first->second, row.symbol) << row.decorated;
    EXPECT_EQ(address_of.emplace(row.symbol, address).first->second, address) << row.decorated;
  }
}

// The host double reads each decorated name back into the row's result and argument types, so a wrong
// decoration in the table's generator cannot pass unseen.
TEST(HostLink, DecoratedNamesSpellTheTypesOfTheirRows) {
  const auto word = [](hostrun::Kind kind) {
    return kind == hostrun::Kind::Int ? "int" : kind == hostrun::Kind::String ? "string" : "void";
  };
  for (const ExportRow& row : kExportTable) {
    if (row.result == "pointer") continue;  // the host link, exported by its plain name
    const auto command = hostrun::ParseDecoratedName(row.decorated);
    ASSERT_TRUE(command.has_value()) << row.decorated;
    EXPECT_EQ(command->name, row.name);
    EXPECT_EQ(word(command->result), row.result) << row.decorated;
    std::string args;
    for (hostrun::Kind kind : command->params) args += (args.empty() ? "" : ",") + std::string(word(kind));
    // The host double reads long as int: both are 32-bit ints to the host.
    std::string table_args(row.args);
    for (auto at = table_args.find("long"); at != std::string::npos; at = table_args.find("long"))
      table_args.replace(at, 4, "int");
    EXPECT_EQ(args.empty() ? "-" : args, table_args) << row.decorated;
  }
}

TEST(HostLink, CarriesVersionInformation) {
  const std::string dll = e2e::BinDirectory() + "hostkit.dll";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  constexpr WORD kVersion[] = {HOSTKIT_VERSION_COMMAS};
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(kVersion[1], kVersion[0])));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(kVersion[3], kVersion[2])));
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\FileDescription",
                             reinterpret_cast<void**>(&text), &length));
  EXPECT_NE(std::string(text).find("hostkit"), std::string::npos);
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\040904B0\\ProductVersion", reinterpret_cast<void**>(&text),
                             &length));
  EXPECT_STREQ(text, HOSTKIT_VERSION_STRING);
}

TEST(HostWindow, LoadFindsTheWindowAndCapturesItsMessagesWithoutAnInitCall) {
  HostDouble& host = e2e::Host();
  SendMessageA(host.window(), WM_USER + 9, 3, -4);
  EXPECT_EQ(host.Int("GetWindowMessage"), WM_USER + 9);
  EXPECT_EQ(host.Int("GetWindowParamW"), 3);
  EXPECT_EQ(host.Int("GetWindowParamL"), -4);
  EXPECT_EQ(host.Int("Init"), 1);
}

TEST(HostWindow, InitInstallsTheCaptureOnceWhenTheWindowAppearsLater) {
  HostDouble host(NoWindow());
  EXPECT_EQ(host.Int("Init"), 0);
  EXPECT_EQ(host.Int("GetWindowMessage"), 0);
  EXPECT_EQ(host.Int("GetHitTestMessage"), -3);
  EXPECT_EQ(host.Int("GetWindowParamW"), 0);
  EXPECT_EQ(host.Int("GetWindowParamL"), 0);

  auto window = MakeWindow("OPENGLWINDOW");
  const LONG own_proc = GetWindowLongA(window.get(), GWL_WNDPROC);
  EXPECT_EQ(host.Int("Init"), 1);
  const LONG installed = GetWindowLongA(window.get(), GWL_WNDPROC);
  EXPECT_NE(installed, own_proc);
  EXPECT_EQ(host.Int("Init"), 1);
  EXPECT_EQ(GetWindowLongA(window.get(), GWL_WNDPROC), installed) << "a second Init must not chain again";

  // Messages still reach the window's own procedure: its default answer to WM_GETTEXTLENGTH is the title's length.
  EXPECT_EQ(SendMessageA(window.get(), WM_GETTEXTLENGTH, 0, 0), 12);
  EXPECT_EQ(host.Int("GetWindowMessage"), WM_GETTEXTLENGTH);
}

// A game that remakes its window (a change of display mode): the first window found was kept for ever, so the
// capture, the drops and the window commands stayed on the dead one.
TEST(HostWindow, AWindowMadeAnewTakesTheCaptureTheDropsAndTheCommands) {
  HostDouble host(NoWindow());
  auto first = MakeWindow("OPENGLWINDOW");
  ASSERT_EQ(host.Int("Init"), 1);
  host.Run("EnableFileDrop", 1);
  first.reset();
  EXPECT_EQ(host.Int("GetWindowX"), -1);  // no window meanwhile
  EXPECT_EQ(host.Int("Init"), 0);

  auto second = MakeWindow("QVRWINDOW", {40, 30, 240, 180});
  const LONG own_proc = GetWindowLongA(second.get(), GWL_WNDPROC);
  EXPECT_EQ(host.Int("GetWindowX"), e2e::WindowRect(second.get()).left);
  EXPECT_NE(GetWindowLongA(second.get(), GWL_WNDPROC), own_proc);
  EXPECT_NE(GetWindowLongA(second.get(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  SendMessageA(second.get(), WM_USER + 5, 7, 8);
  EXPECT_EQ(host.Int("GetWindowMessage"), WM_USER + 5);
  EXPECT_EQ(host.Int("Init"), 1);
  EXPECT_EQ(host.Int("SetClipboardText", "after the new window"), 0);
  EXPECT_EQ(host.Str("GetClipboardText"), "after the new window");
}

TEST(HostWindow, TheHigherOfTheTwoClassesInTheStackingOrderWins) {
  auto opengl = MakeWindow("OPENGLWINDOW");
  auto qvr = MakeWindow("QVRWINDOW");
  // Put the OPENGLWINDOW window below the QVRWINDOW one: the search must take the QVRWINDOW window.
  SetWindowPos(opengl.get(), qvr.get(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HostDouble host(NoWindow());
  EXPECT_EQ(host.Int("Init"), 1);
  SendMessageA(qvr.get(), WM_USER + 1, 0, 0);
  SendMessageA(opengl.get(), WM_USER + 2, 0, 0);
  EXPECT_EQ(host.Int("GetWindowMessage"), WM_USER + 1);
}

TEST(HostWindow, OnlyExactClassNamesOfThisProcessMatch) {
  // A window of another process (this one) with the right class is never chosen by the child.
  auto theirs = MakeWindow("OPENGLWINDOW");
  const auto other_process = e2e::RunHostrun("--no-window -c Init");
  EXPECT_EQ(other_process.exit_code, 0u) << other_process.err;
  EXPECT_EQ(other_process.out, "0\n");

  const struct {
    const char* window_class;
    const char* expected;
  } cases[] = {{"OPENGLWINDOW", "1\n"},
               {"QVRWINDOW", "1\n"},
               {"OpenGLWindow", "0\n"},
               {"OPENGLWINDOW2", "0\n"},
               {"QVRWINDO", "0\n"}};
  for (const auto& c : cases) {
    const auto run = e2e::RunHostrun(std::string("--window-class ") + c.window_class + " -c Init");
    EXPECT_EQ(run.out, c.expected) << c.window_class << run.err;
  }
}

LRESULT CALLBACK NowhereProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NCHITTEST) return HTNOWHERE;  // the host answers the hit test its own way
  return DefWindowProcA(w, m, wp, lp);
}

TEST(HostWindow, HitTestRecordsTheSystemAnswerNotTheHosts) {
  Options options;
  options.window_proc = &NowhereProc;
  HostDouble host(options);
  RECT client{};
  GetClientRect(host.window(), &client);
  POINT centre{client.right / 2, client.bottom / 2};
  ClientToScreen(host.window(), &centre);
  const LPARAM at = MAKELPARAM(centre.x, centre.y);
  EXPECT_EQ(SendMessageA(host.window(), WM_NCHITTEST, 0, at), HTNOWHERE);
  EXPECT_EQ(host.Int("GetHitTestMessage"), HTCLIENT);
  EXPECT_EQ(host.Int("GetWindowMessage"), WM_NCHITTEST);
  EXPECT_EQ(host.Int("GetWindowParamL"), static_cast<int>(at));

  // The caption answers HTCAPTION, and other messages leave the hit-test record alone.
  RECT outer{};
  GetWindowRect(host.window(), &outer);
  SendMessageA(host.window(), WM_NCHITTEST, 0, MAKELPARAM(outer.left + 60, outer.top + 8));
  SendMessageA(host.window(), WM_USER, 0, 0);
  EXPECT_EQ(host.Int("GetHitTestMessage"), HTCAPTION);
}

// What the host's own procedure got with the last WM_CHAR.
WPARAM g_own_char = 0;

template <bool kUnicode>
LRESULT CALLBACK OwnProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_CHAR) g_own_char = wp;
  return kUnicode ? DefWindowProcW(w, m, wp, lp) : DefWindowProcA(w, m, wp, lp);
}

// A host window of the first class registered by RegisterClassW, or of the second by RegisterClassA.
hostkit::win::UniqueWindow MakeHostWindow(bool unicode) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  if (unicode) {
    const WNDCLASSW cls{0, &OwnProc<true>, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, L"OPENGLWINDOW"};
    RegisterClassW(&cls);
    return hostkit::win::UniqueWindow(
        CreateWindowExW(0, cls.lpszClassName, L"host", style, 10, 10, 200, 150, nullptr, nullptr, instance, nullptr));
  }
  const WNDCLASSA cls{0, &OwnProc<false>, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, "QVRWINDOW"};
  RegisterClassA(&cls);
  return hostkit::win::UniqueWindow(
      CreateWindowExA(0, cls.lpszClassName, "host", style, 10, 10, 200, 150, nullptr, nullptr, instance, nullptr));
}

// The capture was installed through the A forms, which make a window ANSI: a Unicode host window got a typed
// character outside the code page (WM_CHAR of U+4E2D) as '?'. Each window keeps its set, the host's procedure gets
// the character as it would without hostkit, and the record holds it as it reached the window. The second window
// replaces the first, so the capture moves with its set.
TEST(HostWindow, TheCaptureKeepsTheWindowsCharacterSet) {
  ASSERT_EQ(GetACP(), 1252u) << "the cases are written for the Western code page";
  HostDouble host(NoWindow());
  // The character as SendMessageW and PostMessageW carry it, and as the host's procedure gets it.
  for (const auto& [unicode, typed] : {std::pair<bool, WPARAM>{true, 0x4E2D}, {false, 0xE9}}) {
    SCOPED_TRACE(unicode ? "Unicode" : "ANSI");
    const auto window = MakeHostWindow(unicode);
    ASSERT_TRUE(window);
    ASSERT_EQ(host.Int("Init"), 1);
    EXPECT_EQ(IsWindowUnicode(window.get()) != 0, unicode);
    g_own_char = 0;
    SendMessageW(window.get(), WM_CHAR, typed, 1);
    EXPECT_EQ(g_own_char, typed) << "sent";
    EXPECT_EQ(host.Int("GetWindowParamW"), static_cast<int>(typed));
    // A Unicode host takes its posted messages through the W forms (through the A forms the character would turn
    // into '?' on its way, with or without hostkit).
    g_own_char = 0;
    PostMessageW(window.get(), WM_CHAR, typed, 1);
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
    EXPECT_EQ(g_own_char, typed) << "posted";
  }
}

TEST(Hostrun, PrintsResultsInPlainAndJsonForms) {
  const auto plain = e2e::RunHostrun("-", "Init\n# a comment\n\nGetHitTestMessage\n");
  EXPECT_EQ(plain.exit_code, 0u) << plain.err;
  EXPECT_EQ(plain.out, "1\n-3\n");

  const auto json = e2e::RunHostrun("--json --no-window -c GetHitTestMessage");
  EXPECT_EQ(json.out, "{\"line\":1,\"call\":\"GetHitTestMessage\",\"result\":-3}\n");

  const auto stats = e2e::RunHostrun("--stats --no-window -c Init");
  EXPECT_EQ(stats.out, "0\ncreate-string: requests 0, bytes 0, largest 0, live 0\n");
}

TEST(Hostrun, ScriptErrorsExitWithTwoAndSayWhichLine) {
  const struct {
    const char* script;
    const char* message;
  } cases[] = {
      {"Init\nNoSuchCommand\n", "line 2: unknown command NoSuchCommand\n"},
      {"Init 5\n", "line 1: wrong arguments for Init\n"},
      {"Init \"open\n", "line 1: unterminated string\n"},
      {"Init 99999999999\n", "line 1: number out of range 99999999999\n"},
      {"Init \"\\q\"\n", "line 1: unknown escape \\q\n"},
  };
  for (const auto& c : cases) {
    const auto run = e2e::RunHostrun("--no-window -", c.script);
    EXPECT_EQ(run.exit_code, 2u) << c.script;
    EXPECT_EQ(run.err, c.message) << c.script;
  }
}

TEST(Hostrun, WithoutLinkNoLookupHappens) {
  Options options = NoWindow();
  options.link = false;
  HostDouble host(options);
  EXPECT_TRUE(HostDouble::Lookups().empty());
  EXPECT_EQ(host.link_answer(), 0);
}

}  // namespace
