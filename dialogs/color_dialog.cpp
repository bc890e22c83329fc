// The colour dialog, opened fully on the script's colour, owned by the host window, with the shared palette.
#include <windows.h>
#include <commdlg.h>

#include "dialogs/dialogs.h"
#include "dialogs/palette.h"
#include "dialogs/win32_dialog.h"
#include "host/host_window.h"

namespace hostkit::dialogs {
namespace {

static_assert(sizeof(CHOOSECOLORA) == 36);
static_assert(sizeof(COLORREF) == sizeof(Colour));

constexpr DWORD kColourFlags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK;  // 0x13

UINT_PTR CALLBACK ColorDialogHook(HWND dialog, UINT message, WPARAM, LPARAM) {
  return Guard(
      [&] {
        // Centred on its owner, the host window, when it has one.
        if (message == WM_INITDIALOG) PlaceDialog(dialog, ::GetParent(dialog));
        return UINT_PTR{0};
      },
      UINT_PTR{0});
}

}  // namespace

int OpenColorDialog(int initial_colour) {
  CHOOSECOLORA request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = host::FindHostWindow();
  request.rgbResult = static_cast<COLORREF>(initial_colour);
  // The dialog reads and writes the palette in place, so custom colours defined there carry over.
  request.lpCustColors = reinterpret_cast<COLORREF*>(CustomColours().data());
  request.Flags = kColourFlags;
  request.lpfnHook = &ColorDialogHook;
  return ::ChooseColorA(&request) == 1 ? static_cast<int>(request.rgbResult) : 0;
}

}  // namespace hostkit::dialogs
