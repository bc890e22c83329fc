// The colour dialog, opened fully on the script's colour, with the shared palette: owned by the host window when
// it runs modally, centred on the host window either way.
#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <string>

#include "dialogs/dialog_job.h"
#include "dialogs/dialogs.h"
#include "dialogs/palette.h"
#include "dialogs/win32_dialog.h"
#include "host/host_window.h"

namespace hostkit::dialogs {
namespace {

static_assert(sizeof(CHOOSECOLORA) == 36);
static_assert(sizeof(COLORREF) == sizeof(Colour));

constexpr DWORD kColourFlags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;  // 0x13

UINT_PTR CALLBACK ColorDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lparam) {
  return Guard(
      [&] {
        // WM_INITDIALOG carries the request, and the request the placement in its custom data.
        if (message == WM_INITDIALOG) {
          const auto& place = *reinterpret_cast<const Placement*>(reinterpret_cast<CHOOSECOLORA*>(lparam)->lCustData);
          PlaceDialogAt(dialog, place.frame, place.at);
        }
        return UINT_PTR{0};
      },
      UINT_PTR{0});
}

using Palette = std::array<Colour, kCustomColourCount>;

}  // namespace

DialogJob ColourJob(int initial_colour, DialogHost host) {
  // The dialog edits a copy of the palette; the copy becomes the palette when the end is read, whether the dialog
  // was confirmed or cancelled (colours added to the custom boxes stay either way).
  return [initial_colour, host, place = PlacementNow(host.frame), palette = CustomColours()]() mutable {
    CHOOSECOLORA request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = host.owner;
    request.rgbResult = static_cast<COLORREF>(initial_colour);
    request.lpCustColors = reinterpret_cast<COLORREF*>(palette.data());
    request.Flags = kColourFlags;
    request.lCustData = reinterpret_cast<LPARAM>(&place);
    request.lpfnHook = &ColorDialogHook;
    const bool chosen = ::ChooseColorA(&request) == 1;
    const bool failed = !chosen && ::CommDlgExtendedError() != 0;
    RequestEnd end{chosen ? RequestStatus::Answered : RequestStatus::Ended, {}, {}};
    if (failed) return RequestEnd{RequestStatus::NotShown, {}, {}};
    if (chosen) end.answer = std::to_string(static_cast<int>(request.rgbResult));
    end.on_read = [kept = palette] { CustomColours() = kept; };
    return end;
  };
}

int OpenColorDialog(int initial_colour) {
  const HWND host = host::FindHostWindow();
  RequestEnd end = ColourJob(initial_colour, {host, host})();
  if (end.on_read) end.on_read();
  return end.status == RequestStatus::Answered ? std::stoi(end.answer) : 0;
}

}  // namespace hostkit::dialogs
