#pragma once
// The host window's style, extended style and placement.

namespace hostkit::window {

// Each setter does nothing while there is no host window.
void SetStyle(long style) noexcept;
void SetExStyle(long ex_style) noexcept;
void SetPosition(int x, int y, int insert_after, int width, int height, int flags) noexcept;

// Left and top edges of the host window's outer rectangle in screen coordinates; -1 without a host window.
int WindowLeft() noexcept;
int WindowTop() noexcept;

}  // namespace hostkit::window
