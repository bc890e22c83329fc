#pragma once
// Asking for the player's attention on the host window: flashing it, progress on its taskbar button, and a
// notification from the tray. Each call answers at once.
namespace hostkit::attention {

// Flashes the host window's caption and taskbar button `times` times; 0 until it comes to the front; -1 stops.
// Nothing without a host window.
void FlashHostWindow(int times);

// The taskbar button's progress: state 0 none, 1 normal, 2 paused, 3 error, 4 indeterminate; permille 0-1000.
// 0, or the HRESULT of what failed (E_INVALIDARG for another state, HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE)
// without a host window).
int SetTaskbarProgress(int state, int permille);

// A balloon (a toast on current Windows) from a tray icon of the host window's icon and caption; it replaces the
// one showing. 0, or the Win32 error: ERROR_INVALID_PARAMETER for unknown flags, ERROR_INVALID_WINDOW_HANDLE
// without a host window.
int ShowNotification(const char* title, const char* text, int flags);

}  // namespace hostkit::attention
