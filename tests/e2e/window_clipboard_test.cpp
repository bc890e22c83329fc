// The clipboard's text under Wine, with bin/clipboard_holder.exe as the other program on the clipboard.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "host/win_handle.h"
#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"
#include "tests/e2e/harness/window_driver.h"
#include "tests/e2e/probe/clipboard_pattern.h"

namespace {

using hostkit::win::UniqueHandle;

std::string Holder(const std::string& arguments) {
  return "\"" + e2e::BinDirectory() + "clipboard_holder.exe\" " + arguments;
}

// Two events that the holder opens by name: it sets "ready" once it has the clipboard, and lets go on "release".
struct HolderEvents {
  std::string ready_name = "hostkit-clipboard-ready-" + std::to_string(GetCurrentProcessId());
  std::string release_name = "hostkit-clipboard-release-" + std::to_string(GetCurrentProcessId());
  UniqueHandle ready{CreateEventA(nullptr, TRUE, FALSE, ready_name.c_str())};
  UniqueHandle release{CreateEventA(nullptr, TRUE, FALSE, release_name.c_str())};
  std::string Arguments(int hold_ms) const {
    return "hold " + ready_name + " " + release_name + " " + std::to_string(hold_ms);
  }
};

TEST(Clipboard, AMegabyteOfEveryByteButZeroGoesThereAndBackAndToAnotherProgram) {
  auto& host = e2e::Host();
  const std::size_t bytes = 1 << 20;
  const std::string text = e2e::ClipboardPattern(bytes);
  ASSERT_EQ(host.Int("SetClipboardText", text), 0);
  const auto back = host.Str("GetClipboardText");
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->size(), bytes);
  EXPECT_TRUE(*back == text) << "the text came back changed";  // (not printed: a megabyte)
  EXPECT_EQ(e2e::ChildProcess(Holder("check " + std::to_string(bytes))).Wait(), 0u);

  for (const char* small : {"score: 1200", "\xE9t\xE9 \x80\xFF", ""}) {
    EXPECT_EQ(host.Int("SetClipboardText", small), 0);
    EXPECT_EQ(host.Str("GetClipboardText"), small);
  }
  EXPECT_EQ(host.Int("SetClipboardText", nullptr), 0);
  EXPECT_EQ(host.Str("GetClipboardText"), "");
}

TEST(Clipboard, TextThatAnotherProgramRemovedReadsAsEmpty) {
  auto& host = e2e::Host();
  ASSERT_EQ(host.Int("SetClipboardText", "soon gone"), 0);
  EXPECT_EQ(e2e::ChildProcess(Holder("empty")).Wait(), 0u);
  EXPECT_EQ(host.Str("GetClipboardText"), "");
}

TEST(Clipboard, ASetWaitsForAnotherProgramThatLetsGoWithinAQuarterSecond) {
  auto& host = e2e::Host();
  HolderEvents events;
  // 30 ms held against a quarter of a second of retries.
  e2e::ChildProcess holder(Holder(events.Arguments(30)));
  ASSERT_TRUE(e2e::WaitPumping(events.ready.get(), 30000));
  EXPECT_EQ(host.Int("SetClipboardText", "after the wait"), 0);
  EXPECT_EQ(holder.Wait(), 0u);
  EXPECT_EQ(host.Str("GetClipboardText"), "after the wait");
}

TEST(Clipboard, AProgramThatHoldsOnLongerMakesBothCommandsFail) {
  auto& host = e2e::Host();
  ASSERT_EQ(host.Int("SetClipboardText", "before"), 0);
  HolderEvents events;
  e2e::ChildProcess holder(Holder(events.Arguments(-1)));
  ASSERT_TRUE(e2e::WaitPumping(events.ready.get(), 30000));
  const DWORD start = GetTickCount();
  const int code = host.Int("SetClipboardText", "while held");
  const DWORD waited = GetTickCount() - start;
  EXPECT_EQ(code, ERROR_ACCESS_DENIED);
  EXPECT_EQ(host.Str("GetClipboardText"), "");
  // It gave up after its quarter of a second of retries, not at once (a generous lower bound only).
  EXPECT_GE(waited, 200u);
  SetEvent(events.release.get());
  EXPECT_EQ(holder.Wait(), 0u);
  EXPECT_EQ(host.Str("GetClipboardText"), "before");
}

// The clipboard was opened with the host window as its owner: without one, or with a destroyed one, both
// commands failed with 1400 after a quarter of a second of retries.
TEST(Clipboard, WorksWithoutAHostWindowAndAfterItIsDestroyed) {
  hostrun::Options options;
  options.window = false;
  hostrun::HostDouble without(options);
  EXPECT_EQ(without.Int("Init"), 0);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(without.Int("SetClipboardText", "no window " + std::to_string(round)), 0);
    EXPECT_EQ(without.Str("GetClipboardText"), "no window " + std::to_string(round));
    // A host window that comes and goes changes nothing.
    auto window = e2e::MakeWindow("OPENGLWINDOW");
    EXPECT_EQ(without.Int("Init"), 1);
  }
}

// The clipboard's content in another program's terms: its Unicode text, stamped with the locale of its keyboard.
struct ForeignText {
  std::wstring text;
  LCID locale;
};

void PutUnicodeOnly(const ForeignText& foreign) {
  const auto owner = e2e::MakeWindow("STATIC");
  ASSERT_TRUE(OpenClipboard(owner.get()));
  EmptyClipboard();
  const std::size_t bytes = (foreign.text.size() + 1) * sizeof(wchar_t);
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(text), foreign.text.c_str(), bytes);
  GlobalUnlock(text);
  HGLOBAL locale = GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID));
  *static_cast<LCID*>(GlobalLock(locale)) = foreign.locale;
  GlobalUnlock(locale);
  EXPECT_NE(SetClipboardData(CF_UNICODETEXT, text), nullptr);
  EXPECT_NE(SetClipboardData(CF_LOCALE, locale), nullptr);
  CloseClipboard();
}

std::wstring UnicodeOnClipboard() {
  const auto owner = e2e::MakeWindow("STATIC");
  if (!OpenClipboard(owner.get())) return L"<not opened>";
  std::wstring text = L"<none>";
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(block));
    GlobalUnlock(block);
  }
  CloseClipboard();
  return text;
}

DWORD WINAPI RunBody(LPVOID body) {
  (*static_cast<const std::function<void()>*>(body))();
  return 0;
}

// Runs `body` on a thread of its own and waits for the thread to end.
void OnThreadThatEnds(const std::function<void()>& body) {
  const UniqueHandle thread(CreateThread(nullptr, 0, &RunBody, const_cast<std::function<void()>*>(&body), 0, nullptr));
  ASSERT_TRUE(thread);
  ASSERT_TRUE(e2e::WaitPumping(thread.get(), 10000));
}

// The clipboard's window was made once, on the first thread that used it, and went with that thread: from then on
// every set answered 1400 and every read gave "", on every thread. Now no window of it stays after a call.
TEST(Clipboard, WorksOnEveryThreadAfterTheThreadThatUsedItFirstHasEnded) {
  auto& host = e2e::Host();
  const auto leftover = [] { return FindWindowExA(HWND_MESSAGE, nullptr, "STATIC", "hostkit"); };
  int set_on_a = -1;
  OnThreadThatEnds([&] { set_on_a = host.Int("SetClipboardText", "from thread A"); });
  EXPECT_EQ(set_on_a, 0);
  EXPECT_EQ(host.Str("GetClipboardText"), "from thread A");
  EXPECT_EQ(host.Int("SetClipboardText", "from the main thread"), 0);
  EXPECT_EQ(host.Str("GetClipboardText"), "from the main thread");
  EXPECT_EQ(leftover(), nullptr);
  int set_on_b = -1;
  std::optional<std::string> read_on_b;
  OnThreadThatEnds([&] {
    read_on_b = host.Str("GetClipboardText");
    set_on_b = host.Int("SetClipboardText", "from thread B");
  });
  EXPECT_EQ(read_on_b, "from the main thread");
  EXPECT_EQ(set_on_b, 0);
  EXPECT_EQ(host.Str("GetClipboardText"), "from thread B");
  EXPECT_EQ(UnicodeOnClipboard(), L"from thread B");
}

// Text went only as CF_TEXT, and the system made the Unicode side through the code page of the clipboard's locale
// (the keyboard layout's), not the process's: what Unicode programs copied came back through the wrong code page.
TEST(Clipboard, TextIsExchangedAsUnicodeInTheProcesssCodePage) {
  auto& host = e2e::Host();
  ASSERT_EQ(GetACP(), 1252u) << "the cases are written for the Western code page";
  const struct {
    ForeignText put;
    std::string read;
  } reads[] = {
      {{L"caf\u00E9 \u20AC", 0x0419}, "caf\xE9 \x80"},  // Russian locale: its code page 1251 has no é
      {{L"line\r\nnext\n", 0x0409}, "line\r\nnext\n"},  // line ends pass as they are
      {{L"\u4E2D", 0x0804}, "?"},                       // not in the code page: '?'
  };
  for (const auto& r : reads) {
    PutUnicodeOnly(r.put);
    EXPECT_EQ(host.Str("GetClipboardText"), r.read);
  }
  ASSERT_EQ(host.Int("SetClipboardText", "\xE9t\xE9 \x80\r\n"), 0);
  EXPECT_EQ(UnicodeOnClipboard(), L"\u00E9t\u00E9 \u20AC\r\n");
}

}  // namespace
