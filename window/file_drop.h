#pragma once
// Files dropped on the host window (Win32 layer over host/file_drops.h).
#include <cstddef>
#include <string>

namespace hostkit::window {

// Lets the user drop files on the host window (its accept-files style, and the drop messages let in from a
// shell of lower integrity) and the capture record them, or stops both: the style goes only where "on" added
// it. Nothing without a host window.
void EnableFileDrop(int on);

// The full paths dropped and not yet delivered, oldest drop first, joined by "|".
std::string DroppedFiles();
// Forgets the first `length` bytes of DroppedFiles' answer once the host has taken them.
void ForgetDroppedFiles(std::size_t length);

}  // namespace hostkit::window
