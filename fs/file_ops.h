#pragma once
// One-call file and folder operations (Win32 layer). The int commands answer 0 on success and the
// platform's error code otherwise; the path queries answer "" on failure.
#include <string>

namespace hostkit::fs {

int CreateFolder(const char* path);
int DeleteFolder(const char* path);
std::string GetWorkingDirectory();
int SetWorkingDirectory(const char* path);
int FileCopy(const char* source, const char* destination, int overwrite);
int FileMove(const char* source, const char* destination);
int FileDelete(const char* path);
int GetAttributesFromFile(const char* path);
std::string GetFullPathFromFile(const char* path);

}  // namespace hostkit::fs
