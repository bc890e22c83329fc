// Exported commands of the dialogs: each forwards to dialogs/.
#include "dialogs/dialogs.h"
#include "dialogs/palette.h"
#include "dialogs/picked_moment.h"
#include "exports/command.h"

#include <string>

#include "host/result.h"

using namespace hostkit;
using dialogs::Field;
using exports::Export;

namespace {

int Read(Field field) { return dialogs::ReadField(dialogs::Picked(), field); }

// A request is forgotten only once the host has taken its answer: with a refused buffer it stays for the next read.
char* DialogResultFor(int id) {
  char* result = nullptr;
  bool handed = false;
  dialogs::ReadDialogResult(id, [&](const std::string& answer) {
    handed = true;
    result = host::TextResult(answer);
    return result != nullptr && (answer.empty() || result[0] != '\0');
  });
  return handed ? result : host::EmptyResult();
}

}  // namespace

extern "C" {

void hk_SetInitialDir(const char* path) {
  Export<hk_SetInitialDir>([&] { dialogs::SetInitialDir(Arg(path)); });
}
void hk_SetDialogPosition(int x, int y) {
  Export<hk_SetDialogPosition>([&] { dialogs::SetDialogPosition(x, y); });
}
char* hk_ChooseFileDialog(const char* title, const char* filter, int multi) {
  return Export<hk_ChooseFileDialog>([&] { return dialogs::ChooseFile(Arg(title), Arg(filter), multi); });
}
char* hk_SaveAsDialog(const char* title, const char* filter) {
  return Export<hk_SaveAsDialog>([&] { return dialogs::SaveAs(Arg(title), Arg(filter)); });
}
char* hk_BrowseFolderDialog(const char* title, const char* initial_folder) {
  return Export<hk_BrowseFolderDialog>([&] { return dialogs::BrowseFolder(Arg(title), Arg(initial_folder)); });
}

int hk_OpenColorDialog(int colour) {
  return Export<hk_OpenColorDialog>([&] { return dialogs::OpenColorDialog(colour); });
}
int hk_GetCustomColor(int index) {
  return Export<hk_GetCustomColor>([&] { return dialogs::GetCustomColour(index); });
}
void hk_SetCustomColor(int index, int colour) {
  Export<hk_SetCustomColor>([&] { dialogs::SetCustomColour(index, colour); });
}

int hk_OpenDateTimePicker(const char* title) {
  return Export<hk_OpenDateTimePicker>([&] { return dialogs::OpenDateTimePicker(Arg(title)); });
}
int hk_GetDateYear() {
  return Export<hk_GetDateYear>([] { return Read(Field::Year); });
}
int hk_GetDateMonth() {
  return Export<hk_GetDateMonth>([] { return Read(Field::Month); });
}
int hk_GetDateDay() {
  return Export<hk_GetDateDay>([] { return Read(Field::Day); });
}
int hk_GetDateDayOfWeek() {
  return Export<hk_GetDateDayOfWeek>([] { return Read(Field::DayOfWeek); });
}
int hk_GetDateHour() {
  return Export<hk_GetDateHour>([] { return Read(Field::Hour); });
}
int hk_GetDateMinute() {
  return Export<hk_GetDateMinute>([] { return Read(Field::Minute); });
}
int hk_GetDateSecond() {
  return Export<hk_GetDateSecond>([] { return Read(Field::Second); });
}
char* hk_GetDateString(const char* picture) {
  return Export<hk_GetDateString>([&] { return dialogs::DateString(Arg(picture)); });
}
char* hk_GetTimeString(const char* picture) {
  return Export<hk_GetTimeString>([&] { return dialogs::TimeString(Arg(picture)); });
}

int hk_ChooseFileDialogAsync(const char* title, const char* filter, int multi) {
  return Export<hk_ChooseFileDialogAsync>([&] { return dialogs::ChooseFileAsync(Arg(title), Arg(filter), multi); });
}
int hk_SaveAsDialogAsync(const char* title, const char* filter) {
  return Export<hk_SaveAsDialogAsync>([&] { return dialogs::SaveAsAsync(Arg(title), Arg(filter)); });
}
int hk_BrowseFolderDialogAsync(const char* title, const char* initial_folder) {
  return Export<hk_BrowseFolderDialogAsync>(
      [&] { return dialogs::BrowseFolderAsync(Arg(title), Arg(initial_folder)); });
}
int hk_OpenColorDialogAsync(int colour) {
  return Export<hk_OpenColorDialogAsync>([&] { return dialogs::OpenColorDialogAsync(colour); });
}
int hk_OpenDateTimePickerAsync(const char* title) {
  return Export<hk_OpenDateTimePickerAsync>([&] { return dialogs::OpenDateTimePickerAsync(Arg(title)); });
}
int hk_RequestAsync(const char* text, const char* caption, int flags) {
  return Export<hk_RequestAsync>([&] { return dialogs::RequestAsync(Arg(text), Arg(caption), flags); });
}
char* hk_InputText(const char* title, const char* prompt, const char* text, int flags) {
  return Export<hk_InputText>([&] { return dialogs::InputText(Arg(title), Arg(prompt), Arg(text), flags); });
}
int hk_InputTextAsync(const char* title, const char* prompt, const char* text, int flags) {
  return Export<hk_InputTextAsync>([&] { return dialogs::InputTextAsync(Arg(title), Arg(prompt), Arg(text), flags); });
}
int hk_GetDialogStatus(int id) {
  return Export<hk_GetDialogStatus>([&] { return dialogs::DialogStatus(id); });
}
char* hk_GetDialogResult(int id) {
  return Export<hk_GetDialogResult>([&] { return DialogResultFor(id); });
}
void hk_CloseDialog(int id) {
  Export<hk_CloseDialog>([&] { dialogs::CloseDialog(id); });
}

}  // extern "C"
