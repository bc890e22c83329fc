#pragma once
// Files dropped on the host window (Win32 layer over host/file_drops.h).
#include <string>

namespace hostkit::window {

// Lets the user drop files on the host window (its accept-files style) and the capture record them, or stops
// both. Nothing without a host window.
void EnableFileDrop(int on);

// The full paths dropped since the last call, oldest drop first, joined by "|"; reading clears them.
std::string DroppedFiles();

}  // namespace hostkit::window
