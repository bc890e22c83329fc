// The modal open and save dialogs (one request builder and runner for the two, with a hook) and the folder
// browser; the hooks place each dialog once it is built. The asynchronous open and save dialogs are in
// item_dialogs.cpp.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/dialog_job.h"
#include "dialogs/dialogs.h"
#include "dialogs/file_texts.h"
#include "dialogs/placement.h"
#include "dialogs/win32_dialog.h"
#include "host/win_handle.h"

namespace hostkit::dialogs {
namespace {

static_assert(sizeof(OPENFILENAMEA) == 88, "the request carries the Windows 2000 fields");

constexpr DWORD kOpenFlags = OFN_ENABLEHOOK | OFN_NOVALIDATE | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER |
                             OFN_ENABLESIZING;  // 0x00881920
constexpr DWORD kSaveFlags = OFN_OVERWRITEPROMPT | OFN_ENABLEHOOK | OFN_NOVALIDATE | OFN_PATHMUSTEXIST | OFN_EXPLORER |
                             OFN_ENABLESIZING;  // 0x00880922
static_assert(kOpenFlags == 0x00881920 && kSaveFlags == 0x00880922);

// A multiple selection needs the folder and every name: 64 KiB holds hundreds of names, where a few hundred
// bytes would make the dialog fail (FNERR_BUFFERTOOSMALL) as if cancelled.
constexpr std::size_t kOpenAnswerSize = 64 * 1024;
constexpr std::size_t kSaveAnswerSize = MAX_PATH;

// Posted to the hook window to centre the dialog again once its layout is final.
constexpr UINT kCentreAgain = WM_APP + 0x4B1;

UINT_PTR CALLBACK FileDialogHook(HWND hook, UINT message, WPARAM, LPARAM lparam) {
  return Guard(
      [&] {
        // The hook window is a child of the explorer-style dialog; CDN_INITDONE arrives once it is built. The
        // placement rides in the request's custom data and is kept on the hook window for the second centring.
        if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lparam)->code == static_cast<UINT>(CDN_INITDONE)) {
          const LPARAM data = reinterpret_cast<const OFNOTIFYA*>(lparam)->lpOFN->lCustData;
          ::SetWindowLongPtrA(hook, GWLP_USERDATA, data);
          const auto& place = *reinterpret_cast<const Placement*>(data);
          PlaceDialogAt(::GetParent(hook), ::GetDesktopWindow(), place.at);
          // Wine gives a sizeable dialog the size of the previous one after CDN_INITDONE (measured: a save dialog
          // after an open one grew by 26 px), which would leave a centred dialog off-centre: centre once more when
          // the dialog's first messages have run. A fixed position keeps its corner through a resize.
          if (IsCentreMarker(place.at)) ::PostMessageA(hook, kCentreAgain, 0, 0);
        } else if (message == kCentreAgain) {
          if (const auto* place = reinterpret_cast<const Placement*>(::GetWindowLongPtrA(hook, GWLP_USERDATA)))
            PlaceDialogAt(::GetParent(hook), ::GetDesktopWindow(), place->at);
        }
        return UINT_PTR{0};
      },
      UINT_PTR{0});
}

// What the folder browser's callback reads: the folder to preselect and where to go.
struct FolderStart {
  std::string initial_folder;
  Placement place;
};

int CALLBACK FolderDialogCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
  return Guard(
      [&] {
        if (message == BFFM_INITIALIZED) {
          const auto& start = *reinterpret_cast<const FolderStart*>(data);
          PlaceDialogAt(dialog, ::GetDesktopWindow(), start.place.at);
          ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(start.initial_folder.c_str()));
        }
        return 0;
      },
      0);
}

// A file dialog's request as the script made it, with the settings in force then.
struct FileRequest {
  std::string title;
  std::string filter;
  DWORD flags;
  std::size_t answer_size;
  BOOL(WINAPI* show)(LPOPENFILENAMEA);
  std::string initial_dir = InitialDir();
  Placement place = PlacementNow(nullptr);
};

// Fills the request, runs the dialog and hands back its answer buffer, or nothing on cancel or failure.
std::optional<std::vector<char>> RunFileDialog(const FileRequest& request) {
  std::vector<char> filters = MakeFilterList(request.filter);
  std::vector<char> answer(request.answer_size, '\0');

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFilter = filters.data();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = answer.data();
  ofn.nMaxFile = static_cast<DWORD>(answer.size());
  ofn.lpstrInitialDir = request.initial_dir.c_str();
  ofn.lpstrTitle = request.title.c_str();
  ofn.Flags = request.flags;
  ofn.lCustData = reinterpret_cast<LPARAM>(&request.place);
  ofn.lpfnHook = &FileDialogHook;
  if (request.show(&ofn) != 1) return std::nullopt;
  answer.back() = '\0';  // the platform fills within nMaxFile; keep the last byte a terminator regardless
  return answer;
}

RequestEnd Ended() { return {RequestStatus::Ended, {}, {}}; }

}  // namespace

void SetInitialDir(const char* path) { StoreInitialDir(InitialDirFrom(path)); }

DialogJob BrowseFolderJob(std::string title, std::string initial_folder) {
  return [title = std::move(title), start = FolderStart{std::move(initial_folder), PlacementNow(nullptr)}] {
    BROWSEINFOA info{};
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = &FolderDialogCallback;
    info.lParam = reinterpret_cast<LPARAM>(&start);
    const win::UniqueCoTaskMem list(::SHBrowseForFolderA(&info));
    if (!list) return Ended();
    // SHGetPathFromIDListA writes at most MAX_PATH bytes, terminator included.
    char path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(static_cast<PCIDLIST_ABSOLUTE>(list.get()), path)) return Ended();
    return RequestEnd{RequestStatus::Answered, std::string(path, strnlen(path, std::size(path))), {}};
  };
}

// The modal twins keep the hook dialogs: they move the working folder as the user browses, and scripts may rely on
// finding it moved after the call.
std::string ChooseFile(const char* title, const char* filter, int multi) {
  const DWORD flags = multi != 0 ? kOpenFlags | OFN_ALLOWMULTISELECT : kOpenFlags;
  const auto answer = RunFileDialog({title, filter, flags, kOpenAnswerSize, &::GetOpenFileNameA});
  return answer ? JoinSelection(answer->data(), answer->size()) : std::string();
}

std::string SaveAs(const char* title, const char* filter) {
  const auto answer = RunFileDialog({title, filter, kSaveFlags, kSaveAnswerSize, &::GetSaveFileNameA});
  return answer ? std::string(answer->data(), strnlen(answer->data(), answer->size())) : std::string();
}

std::string BrowseFolder(const char* title, const char* initial_folder) {
  return BrowseFolderJob(title, initial_folder)().answer;
}

}  // namespace hostkit::dialogs
