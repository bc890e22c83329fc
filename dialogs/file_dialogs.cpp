// The open, save and folder dialogs: one request builder and runner for the two file dialogs, and the
// folder browser; the hooks place each dialog once it is built.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

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
        // The hook window is a child of the explorer-style dialog; CDN_INITDONE arrives once it is built.
        if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lparam)->code == static_cast<UINT>(CDN_INITDONE)) {
          PlaceDialog(::GetParent(hook), ::GetDesktopWindow());
          // Wine gives a sizeable dialog the size of the previous one after CDN_INITDONE (measured: a save dialog
          // after an open one grew by 26 px), which would leave a centred dialog off-centre: centre once more when
          // the dialog's first messages have run. A fixed position keeps its corner through a resize.
          if (IsCentreMarker(DialogPosition())) ::PostMessageA(hook, kCentreAgain, 0, 0);
        } else if (message == kCentreAgain) {
          PlaceDialog(::GetParent(hook), ::GetDesktopWindow());
        }
        return UINT_PTR{0};
      },
      UINT_PTR{0});
}

int CALLBACK FolderDialogCallback(HWND dialog, UINT message, LPARAM, LPARAM data) {
  return Guard(
      [&] {
        if (message == BFFM_INITIALIZED) {
          PlaceDialog(dialog, ::GetDesktopWindow());
          ::SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, data);
        }
        return 0;
      },
      0);
}

struct FileRequest {
  const char* title;
  const char* filter;
  DWORD flags;
  std::size_t answer_size;
  BOOL(WINAPI* show)(LPOPENFILENAMEA);
};

// Fills the request, runs the dialog and hands back its answer buffer, or nothing on cancel or failure.
std::optional<std::vector<char>> RunFileDialog(const FileRequest& request) {
  std::vector<char> filters = MakeFilterList(request.filter);
  std::vector<char> answer(request.answer_size, '\0');
  const std::string& initial_dir = InitialDir();

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.lpstrFilter = filters.data();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = answer.data();
  ofn.nMaxFile = static_cast<DWORD>(answer.size());
  ofn.lpstrInitialDir = initial_dir.c_str();
  ofn.lpstrTitle = request.title;
  ofn.Flags = request.flags;
  ofn.lpfnHook = &FileDialogHook;
  if (request.show(&ofn) != 1) return std::nullopt;
  answer.back() = '\0';  // the platform fills within nMaxFile; keep the last byte a terminator regardless
  return answer;
}

}  // namespace

void SetInitialDir(const char* path) { StoreInitialDir(InitialDirFrom(path)); }

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
  BROWSEINFOA info{};
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = &FolderDialogCallback;
  info.lParam = reinterpret_cast<LPARAM>(initial_folder);
  const win::UniqueCoTaskMem list(::SHBrowseForFolderA(&info));
  if (!list) return {};
  // SHGetPathFromIDListA writes at most MAX_PATH bytes, terminator included.
  char path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListA(static_cast<PCIDLIST_ABSOLUTE>(list.get()), path)) return {};
  return std::string(path, strnlen(path, std::size(path)));
}

}  // namespace hostkit::dialogs
