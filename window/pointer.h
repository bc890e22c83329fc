#pragma once
// The pointer position and the mouse buttons.

namespace hostkit::window {

// The pointer's x or y: in the host window's client area when space is 1 (screen coordinates while there is no
// host window), on the screen for every other value. -1 when the position cannot be read.
int CursorX(int space) noexcept;
int CursorY(int space) noexcept;

// The mask of mouse buttons down as the calling thread's message queue has seen them (see mouse_buttons.h).
int MouseButtons() noexcept;

}  // namespace hostkit::window
