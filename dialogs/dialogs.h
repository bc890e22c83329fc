#pragma once
// The dialog commands as the exports call them. Strings are never null here (the exports map null to "");
// a string answer of "" means cancelled or failed.
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

}  // namespace hostkit::dialogs
