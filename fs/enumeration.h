#pragma once
// The folder search and the current-file record (Win32 layer). An ended or failed search answers "".
#include <string>

namespace hostkit::fs {

std::string FirstFile(const char* pattern);
std::string NextFile();
std::string FirstFolder(const char* pattern);
std::string NextFolder();

int CurrentAttributes();
std::string CurrentCreationDate(int separator);
std::string CurrentCreationTime(int separator);
std::string CurrentLastAccessDate(int separator);
std::string CurrentLastAccessTime(int separator);
std::string CurrentLastWriteDate(int separator);
std::string CurrentLastWriteTime(int separator);
int CurrentSizeLow();
int CurrentSizeHigh();
std::string CurrentSizeHex(int flag);
std::string CurrentSizeDecimal(int flag);

}  // namespace hostkit::fs
