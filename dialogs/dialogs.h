#pragma once
// The dialog commands as the exports call them. Strings are never null here (the exports map null to "");
// a string answer of "" means cancelled or failed.
#include <functional>
#include <string>

namespace hostkit::dialogs {

void SetDialogPosition(int x, int y);
void SetInitialDir(const char* path);

std::string ChooseFile(const char* title, const char* filter, int multi);
std::string SaveAs(const char* title, const char* filter);
std::string BrowseFolder(const char* title, const char* initial_folder);

int OpenColorDialog(int initial_colour);

int OpenDateTimePicker(const char* title);
std::string DateString(const char* picture);
std::string TimeString(const char* picture);

// A line of text: the confirmed text, "" after Cancel. Flags: 1 hides the characters, 2 takes digits only, 4
// keeps OK disabled while the field is empty.
std::string InputText(const char* title, const char* prompt, const char* text, int flags);

// The asynchronous twins: a request id (1 or more) at once, 0 when no dialog could be started (16 open already,
// or no thread); the dialog runs on a thread of its own and the request is polled by id.
int ChooseFileAsync(const char* title, const char* filter, int multi);
int SaveAsAsync(const char* title, const char* filter);
int BrowseFolderAsync(const char* title, const char* initial_folder);
int OpenColorDialogAsync(int initial_colour);
int OpenDateTimePickerAsync(const char* title);
int RequestAsync(const char* text, const char* caption, int flags);
int InputTextAsync(const char* title, const char* prompt, const char* text, int flags);

// 0 open, 1 answered, 2 ended without an answer, 3 could not be shown, -1 no such request.
int DialogStatus(int id);
// Reads an ended request once: `hand_over` gets its answer ("" for status 2 and 3) and answers whether the host took
// it. Taken: the request is forgotten and its side effects (a colour dialog's custom colours, the picked moment)
// take place, in the same step. Not taken: the request stays for the next read. False without a call of
// `hand_over` for any other id.
bool ReadDialogResult(int id, const std::function<bool(const std::string&)>& hand_over);
// Ends an open request as 2 and closes its dialog soon after; nothing for any other id.
void CloseDialog(int id);

}  // namespace hostkit::dialogs
