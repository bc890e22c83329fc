#pragma once
// Discovery of the host engine's main window and capture of the last message that reaches it.
#include <windows.h>

namespace hostkit::host {

// The host window of this process, alive, or null: before a successful Init searched afresh on every call;
// after it the cached window, found again (with the message capture and the drop settings moved to it) when the
// host has destroyed it and made another.
HWND FindHostWindow() noexcept;

// Finds and caches the host window and installs the message capture on it. 1 when a live window is known, else 0.
int Init() noexcept;

// After a successful Init: moves the capture and the drop settings to a window that replaced a destroyed one
// (what FindHostWindow does, without a search before Init). For the commands that only read what they capture.
void FollowHostWindow() noexcept;

// The record of the last message (initially 0, -3, 0, 0).
int LastMessage() noexcept;
int LastHitTest() noexcept;
int LastParamW() noexcept;
int LastParamL() noexcept;

// The console window recorded by Init or by the console commands; a flag that a console exists.
HWND RecordedConsoleWindow() noexcept;
void RecordConsoleWindow(HWND console) noexcept;

}  // namespace hostkit::host
