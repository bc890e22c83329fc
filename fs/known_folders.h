#pragma once
// The system's own folders (Win32 layer): the known folders by their CSIDL numbers and the temporary folder.
// Both answer "" on failure. A path that the ANSI code page cannot hold comes as its short (8.3) name, or as ""
// where it has none.
#include <string>

namespace hostkit::fs {

// SHGetFolderPathW's path of the id, passed through unchanged (0x8000 in it creates the folder); "" unless the
// call answers S_OK (an unknown id gives E_INVALIDARG; S_FALSE says a valid folder does not exist).
std::string SpecialFolder(int id);

// GetTempPathW's folder, with its trailing backslash.
std::string TempFolder();

}  // namespace hostkit::fs
