#pragma once
// The mouse-button mask: one bit per button, from the key state the calling thread's queue has seen.

namespace hostkit::window {

// The answer of a key-state query for a virtual key: the top bit (0x8000) set means down.
using KeyStateFn = short (*)(int virtual_key);

// Bit 0 left (VK_LBUTTON 1), bit 1 right (VK_RBUTTON 2), bit 2 middle (VK_MBUTTON 4),
// bit 3 first extra (VK_XBUTTON1 5), bit 4 second extra (VK_XBUTTON2 6).
int MouseButtonMask(KeyStateFn key_state) noexcept;

}  // namespace hostkit::window
