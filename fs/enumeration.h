#pragma once
// The folder search and the current-file record (Win32 layer).
namespace hostkit::fs {

char* FirstFile(const char* pattern);
char* NextFile();
char* FirstFolder(const char* pattern);
char* NextFolder();

int CurrentAttributes();
char* CurrentCreationDate(int separator);
char* CurrentCreationTime(int separator);
char* CurrentLastAccessDate(int separator);
char* CurrentLastAccessTime(int separator);
char* CurrentLastWriteDate(int separator);
char* CurrentLastWriteTime(int separator);
int CurrentSizeLow();
int CurrentSizeHigh();
char* CurrentSizeHex(int flag);
char* CurrentSizeDecimal(int flag);

}  // namespace hostkit::fs
