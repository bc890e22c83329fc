// The interface as scripts and hosts know it, written out here and not made from exports/commands.table: a row of
// the table renamed, retyped or dropped by mistake changes the export directory and the docs' index alike, and
// only a list kept apart from the table sees it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/harness/host.h"
#include "tools/hostrun/pe_image.h"

namespace {

// The 74 names of the interface's first form: the host link and 73 commands, in their decorated form.
constexpr const char* kFirstInterface[] = {
    "?BrowseFolderDialog@@YAPADPBD0@Z",
    "?ChooseFileDialog@@YAPADPBD0H@Z",
    "?ConsoleCommand@@YAXPBD@Z",
    "?ConsoleWrite@@YAXPBD@Z",
    "?CreateFolder@@YAHPBD@Z",
    "?DeleteFolder@@YAHPBD@Z",
    "?FileCopy@@YAHPBD0H@Z",
    "?FileDelete@@YAHPBD@Z",
    "?FileMove@@YAHPBD0@Z",
    "?FolderMove@@YAHPBD0@Z",
    "?GetAttributesFromFile@@YAHPBD@Z",
    "?GetCL@@YAPADXZ",
    "?GetCurrentFileAttributes@@YAHXZ",
    "?GetCurrentFileCreationDate@@YAPADH@Z",
    "?GetCurrentFileCreationTime@@YAPADH@Z",
    "?GetCurrentFileLastAccessDate@@YAPADH@Z",
    "?GetCurrentFileLastAccessTime@@YAPADH@Z",
    "?GetCurrentFileLastWriteDate@@YAPADH@Z",
    "?GetCurrentFileLastWriteTime@@YAPADH@Z",
    "?GetCurrentFileSizeAsHexString@@YAPADH@Z",
    "?GetCurrentFileSizeAsString@@YAPADH@Z",
    "?GetCurrentFileSizeHigh@@YAHXZ",
    "?GetCurrentFileSizeLow@@YAHXZ",
    "?GetCursorX@@YAHH@Z",
    "?GetCursorY@@YAHH@Z",
    "?GetCustomColor@@YAHH@Z",
    "?GetDateDay@@YAHXZ",
    "?GetDateDayOfWeek@@YAHXZ",
    "?GetDateHour@@YAHXZ",
    "?GetDateMinute@@YAHXZ",
    "?GetDateMonth@@YAHXZ",
    "?GetDateSecond@@YAHXZ",
    "?GetDateString@@YAPADPBD@Z",
    "?GetDateYear@@YAHXZ",
    "?GetFirstFile@@YAPADPBD@Z",
    "?GetFirstFolder@@YAPADPBD@Z",
    "?GetFirstSystemDrive@@YAPADXZ",
    "?GetFullPathFromFile@@YAPADPBD@Z",
    "?GetHitTestMessage@@YAHXZ",
    "?GetMouseButtons@@YAHXZ",
    "?GetNextFile@@YAPADXZ",
    "?GetNextFolder@@YAPADXZ",
    "?GetNextSystemDrive@@YAPADXZ",
    "?GetSystemDriveInformation@@YAPADPBDH@Z",
    "?GetSystemDriveType@@YAPADPBD@Z",
    "?GetTimeString@@YAPADPBD@Z",
    "?GetWindowMessage@@YAHXZ",
    "?GetWindowParamL@@YAHXZ",
    "?GetWindowParamW@@YAHXZ",
    "?GetWindowX@@YAHXZ",
    "?GetWindowY@@YAHXZ",
    "?GetWorkingDirectory@@YAPADXZ",
    "?Init@@YAHXZ",
    "?OpenColorDialog@@YAHH@Z",
    "?OpenConsole@@YAXXZ",
    "?OpenDateTimePicker@@YAHPBD@Z",
    "?RegExMatch@@YAHPBD0@Z",
    "?RegExReplace@@YAPADPBD00@Z",
    "?RegExReplace@@YAPADPBD00HH@Z",
    "?RegExSearch@@YAPADPBD0@Z",
    "?RegExSearchPosition@@YAPADPBD0@Z",
    "?Request@@YAHPBD0@Z",
    "?Request@@YAHPBD0H@Z",
    "?Request@@YAHPBD0HH@Z",
    "?Request@@YAHPBD0HHH@Z",
    "?SaveAsDialog@@YAPADPBD0@Z",
    "?SetCustomColor@@YAXHH@Z",
    "?SetDialogPosition@@YAXHH@Z",
    "?SetInitialDir@@YAXPBD@Z",
    "?SetWindowExStyle@@YAXJ@Z",
    "?SetWindowPosition@@YAXHHHHHH@Z",
    "?SetWindowStyle@@YAXJ@Z",
    "?SetWorkingDirectory@@YAHPBD@Z",
    "ReceiveQVRPtr",
};

// The commands added since, each under the name it was added with.
constexpr const char* kAddedSince[] = {
    "?GetRegExError@@YAPADXZ",
    // 1.1.0
    "?GetSpecialFolder@@YAPADH@Z",
    "?GetTempFolder@@YAPADXZ",
    "?GetSystemDriveSpace@@YAPADPBDH@Z",
    "?FileRecycle@@YAHPBD@Z",
    "?ShellOpen@@YAHPBD0@Z",
    "?GetClipboardText@@YAPADXZ",
    "?SetClipboardText@@YAHPBD@Z",
    "?EnableFileDrop@@YAXH@Z",
    "?GetDroppedFiles@@YAPADXZ",
    // 1.2.0
    "?ChooseFileDialogAsync@@YAHPBD0H@Z",
    "?SaveAsDialogAsync@@YAHPBD0@Z",
    "?BrowseFolderDialogAsync@@YAHPBD0@Z",
    "?OpenColorDialogAsync@@YAHH@Z",
    "?OpenDateTimePickerAsync@@YAHPBD@Z",
    "?RequestAsync@@YAHPBD0H@Z",
    "?InputText@@YAPADPBD00H@Z",
    "?InputTextAsync@@YAHPBD00H@Z",
    "?GetDialogStatus@@YAHH@Z",
    "?GetDialogResult@@YAPADH@Z",
    "?CloseDialog@@YAXH@Z",
    // 1.3.0
    "?GetMonitorCount@@YAHXZ",
    "?GetMonitorValue@@YAHHH@Z",
    "?GetHostMonitor@@YAHXZ",
    "?GetMonitorName@@YAPADH@Z",
    "?GetDisplayModes@@YAPADH@Z",
    "?FlashHostWindow@@YAXH@Z",
    "?SetTaskbarProgress@@YAHHH@Z",
    "?ShowNotification@@YAHPBD0H@Z",
    "?RunProgram@@YAHPBD0H@Z",
    "?GetProgramStatus@@YAHH@Z",
    "?GetProgramExitCode@@YAHH@Z",
    "?ReadProgramOutput@@YAPADH@Z",
    "?WriteProgramInput@@YAHHPBD@Z",
    "?CloseProgramInput@@YAXH@Z",
    "?EndProgram@@YAXH@Z",
    "?GetEnvironmentValue@@YAPADPBD@Z",
    "?SetEnvironmentValue@@YAHPBD0@Z",
};

TEST(HostInterface, ExportDirectoryHoldsTheWrittenOutInterface) {
  static_assert(std::size(kFirstInterface) == 74);
  std::vector<std::string> expected(std::begin(kFirstInterface), std::end(kFirstInterface));
  expected.insert(expected.end(), std::begin(kAddedSince), std::end(kAddedSince));
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> actual = hostrun::ExportNames(e2e::Host().module());
  std::sort(actual.begin(), actual.end());
  EXPECT_EQ(actual, expected);
}

}  // namespace
