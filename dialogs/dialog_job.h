#pragma once
// A dialog run as a job: made on the script's thread from the settings in force then, and run either there (the
// modal commands) or on a dialog thread of its own (the asynchronous twins). One runner, two ways to wait.
#include <windows.h>

#include <functional>
#include <string>

#include "dialogs/placement.h"
#include "dialogs/request_table.h"

namespace hostkit::dialogs {

// Who a dialog belongs to: its owner (null for a dialog on a thread of its own, which must leave the host window
// enabled) and the window it centres on.
struct DialogHost {
  HWND owner = nullptr;
  HWND frame = nullptr;
};

// Where a dialog goes, fixed when its job is made; handed to the dialog's hook through its custom data.
struct Placement {
  Point at;
  HWND frame = nullptr;
};
Placement PlacementNow(HWND frame);

// The job's end: Answered with the answer text, Ended after a cancel, NotShown when the dialog could not be shown.
using DialogJob = std::function<RequestEnd()>;

// The asynchronous open and save dialogs (item_dialogs.cpp): the system's file dialog object, which leaves the
// working folder alone; the modal twins keep the hook dialogs.
DialogJob ChooseFileJob(std::string title, std::string filter, int multi);
DialogJob SaveAsJob(std::string title, std::string filter);
DialogJob BrowseFolderJob(std::string title, std::string initial_folder);
DialogJob ColourJob(int initial_colour, DialogHost host);
DialogJob PickerJob(std::string title, DialogHost host);
DialogJob MessageJob(std::string text, std::string caption, int flags);
DialogJob InputTextJob(std::string title, std::string prompt, std::string text, int flags, DialogHost host);

// Starts the job on a dialog thread of its own: the request's id, or 0 when none could be started.
int StartRequest(DialogJob job);

}  // namespace hostkit::dialogs
