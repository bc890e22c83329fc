// The command line of real processes and message boxes pressed by a helper thread, under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"
#include "tests/e2e/harness/window_driver.h"

namespace {

TEST(WindowCommandLine, GetClGivesTheExactLineWithBarsBetweenArguments) {
  // A program path with a space in it, so that it must be quoted on the command line.
  e2e::TempDir temp;
  const std::string folder = temp / "with space";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const char* file : {"hostrun.exe", "hostkit.dll"})
    ASSERT_TRUE(CopyFileA((e2e::BinDirectory() + file).c_str(), (folder + "\\" + file).c_str(), FALSE)) << file;
  const std::string program = "\"" + folder + "\\hostrun.exe\"";

  const struct {
    std::string arguments;  // after the quoted program and one space
    std::string expected;   // after the quoted program
  } cases[] = {
      {"-c GetCL", "|-c|GetCL"},
      {"-c  GetCL", "|-c||GetCL"},
      {"-c GetCL ", "|-c|GetCL|"},
      {"-c \"GetCL  # two  spaces\"", "|-c|\"GetCL  # two  spaces\""},
      {"-c \"GetCL # unmatched quote", "|-c|\"GetCL # unmatched quote"},
      {"-c\tGetCL", "|-c\tGetCL"},
      {"--no-window -c GetCL #%s%n", "|--no-window|-c|GetCL|#%s%n"},
  };
  for (const auto& c : cases) {
    const auto run = e2e::RunProcess(program + " " + c.arguments);
    EXPECT_EQ(run.exit_code, 0u) << c.arguments << ": " << run.err;
    EXPECT_EQ(run.out, program + c.expected + "\n") << c.arguments;
  }

  // When the host gives no buffer, the result is null and nothing is edited.
  const auto run = e2e::RunProcess(program + " --null-create -c GetCL");
  EXPECT_EQ(run.out, "null\n") << run.err;
}

// The icon a message box shows: the icon of its first static control with SS_ICON, or null.
HICON BoxIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (e2e::ClassOf(child) != "Static" || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    if (!IsWindowVisible(child)) return nullptr;
    return reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
  }
  return nullptr;
}

TEST(WindowRequest, EachOverloadShowsAnOwnerlessBoxWithTheOrOfItsFlags) {
  auto& host = e2e::Host();
  const struct {
    std::vector<int> flags;    // 0 to 3 flag arguments
    std::vector<int> buttons;  // buttons the box must have
    LPCSTR icon;               // expected system icon, or null
    int default_button;        // the button with BS_DEFPUSHBUTTON
    int press;
  } cases[] = {
      {{}, {IDOK}, nullptr, IDOK, IDOK},
      {{MB_OKCANCEL}, {IDOK, IDCANCEL}, nullptr, IDOK, IDCANCEL},
      {{MB_YESNO, MB_ICONQUESTION}, {IDYES, IDNO}, IDI_QUESTION, IDYES, IDYES},
      {{MB_YESNO, MB_ICONWARNING, MB_DEFBUTTON2}, {IDYES, IDNO}, IDI_WARNING, IDNO, IDNO},
      {{MB_OK, MB_ICONINFORMATION, MB_RETRYCANCEL}, {IDRETRY, IDCANCEL}, IDI_INFORMATION, IDRETRY, IDRETRY},
  };
  int index = 0;
  for (const auto& c : cases) {
    const std::string caption = "request " + std::to_string(++index);
    const std::string text = "Text %s %n of box " + std::to_string(index);
    int answer = -1;
    e2e::WithHelper(
        [&] {
          const HWND box = e2e::WaitForWindow({.class_name = "#32770", .title = caption});
          ASSERT_NE(box, nullptr) << caption;
          ASSERT_TRUE(e2e::WaitUntilIdle(box));
          EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << caption;
          EXPECT_TRUE(IsWindowEnabled(host.window())) << caption;
          EXPECT_EQ(e2e::ControlText(box, 0xFFFF), text);
          for (const int id : c.buttons) EXPECT_NE(GetDlgItem(box, id), nullptr) << caption << " button " << id;
          const HICON expected_icon = c.icon != nullptr ? LoadIconA(nullptr, c.icon) : nullptr;
          EXPECT_EQ(BoxIcon(box), expected_icon) << caption;
          const LONG default_style = GetWindowLongA(GetDlgItem(box, c.default_button), GWL_STYLE);
          EXPECT_EQ(default_style & BS_TYPEMASK, BS_DEFPUSHBUTTON) << caption;
          e2e::PressButton(box, c.press);
        },
        [&] {
          switch (c.flags.size()) {
            case 0:
              answer = host.Int("Request", text, caption);
              break;
            case 1:
              answer = host.Int("Request", text, caption, c.flags[0]);
              break;
            case 2:
              answer = host.Int("Request", text, caption, c.flags[0], c.flags[1]);
              break;
            default:
              answer = host.Int("Request", text, caption, c.flags[0], c.flags[1], c.flags[2]);
              break;
          }
        });
    EXPECT_EQ(answer, c.press) << caption;
  }
}

}  // namespace
