// Exported commands of the dialogs: each forwards to dialogs/ behind the boundary guard.
#include "dialogs/dialogs.h"
#include "dialogs/palette.h"
#include "dialogs/picked_moment.h"
#include "host/boundary.h"
#include "host/result.h"

using namespace hostkit;
using dialogs::Field;

namespace {

int Read(Field field) { return dialogs::ReadField(dialogs::Picked(), field); }

}  // namespace

extern "C" {

void hk_SetInitialDir(const char* path) { GuardVoid([&] { dialogs::SetInitialDir(Arg(path)); }); }
void hk_SetDialogPosition(int x, int y) { GuardVoid([&] { dialogs::SetDialogPosition(x, y); }); }
char* hk_ChooseFileDialog(const char* title, const char* filter, int multi) {
  return GuardString([&] { return host::TextResult(dialogs::ChooseFile(Arg(title), Arg(filter), multi)); });
}
char* hk_SaveAsDialog(const char* title, const char* filter) {
  return GuardString([&] { return host::TextResult(dialogs::SaveAs(Arg(title), Arg(filter))); });
}
char* hk_BrowseFolderDialog(const char* title, const char* initial_folder) {
  return GuardString([&] { return host::TextResult(dialogs::BrowseFolder(Arg(title), Arg(initial_folder))); });
}

int hk_OpenColorDialog(int colour) { return GuardInt(0, [&] { return dialogs::OpenColorDialog(colour); }); }
int hk_GetCustomColor(int index) { return GuardInt(0, [&] { return dialogs::GetCustomColour(index); }); }
void hk_SetCustomColor(int index, int colour) { GuardVoid([&] { dialogs::SetCustomColour(index, colour); }); }

int hk_OpenDateTimePicker(const char* title) { return GuardInt(0, [&] { return dialogs::OpenDateTimePicker(Arg(title)); }); }
int hk_GetDateYear() { return Read(Field::Year); }
int hk_GetDateMonth() { return Read(Field::Month); }
int hk_GetDateDay() { return Read(Field::Day); }
int hk_GetDateDayOfWeek() { return Read(Field::DayOfWeek); }
int hk_GetDateHour() { return Read(Field::Hour); }
int hk_GetDateMinute() { return Read(Field::Minute); }
int hk_GetDateSecond() { return Read(Field::Second); }
char* hk_GetDateString(const char* picture) {
  return GuardString([&] { return host::TextResult(dialogs::DateString(Arg(picture))); });
}
char* hk_GetTimeString(const char* picture) {
  return GuardString([&] { return host::TextResult(dialogs::TimeString(Arg(picture))); });
}

}  // extern "C"
