#pragma once
// Discovery of the host engine's main window and capture of the last message that reaches it.
#include <windows.h>

namespace hostkit::host {

// The host window of this process: cached after a successful Init, otherwise searched afresh (may be null).
HWND FindHostWindow() noexcept;

// Finds and caches the host window and installs the message capture once. 1 when the window is known, else 0.
int Init() noexcept;

// The record of the last message (initially 0, -3, 0, 0).
int LastMessage() noexcept;
int LastHitTest() noexcept;
int LastParamW() noexcept;
int LastParamL() noexcept;

// The console window recorded by Init or by the console commands; a flag that a console exists.
HWND RecordedConsoleWindow() noexcept;
void RecordConsoleWindow(HWND console) noexcept;

}  // namespace hostkit::host
