#include "fs/enumeration.h"

#include <windows.h>

#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "fs/entry_format.h"
#include "fs/folder_search.h"
#include "fs/quiet_media.h"
#include "host/result.h"
#include "host/win_handle.h"

namespace hostkit::fs {
namespace {

struct Win32Find {
  using Record = WIN32_FIND_DATAA;
  using Handle = win::UniqueFind;
  static Handle Open(const char* pattern, Record& record) {
    return Handle(WithoutMediaPrompt([&] { return FindFirstFileA(pattern, &record); }));
  }
  static bool Next(const Handle& handle, Record& record) {
    return WithoutMediaPrompt([&] { return FindNextFileA(handle.get(), &record); }) != 0;
  }
  static std::uint32_t Attributes(const Record& record) { return record.dwFileAttributes; }
  // In a double-byte code page a name can fill all MAX_PATH bytes with no terminator left.
  static std::string_view Name(const Record& record) {
    return {record.cFileName, strnlen(record.cFileName, std::size(record.cFileName))};
  }
};

FolderSearch<Win32Find> g_search;

char* NameResult(std::optional<std::string_view> name) {
  return name ? host::TextResult(std::string(*name)) : host::EmptyResult();
}

const WIN32_FIND_DATAA& Record() { return g_search.record(); }
std::uint64_t TicksOf(const FILETIME& time) { return Ticks(time.dwLowDateTime, time.dwHighDateTime); }

}  // namespace

char* FirstFile(const char* pattern) { return NameResult(g_search.First(pattern, EntryKind::File)); }
char* NextFile() { return NameResult(g_search.Next(EntryKind::File)); }
char* FirstFolder(const char* pattern) { return NameResult(g_search.First(pattern, EntryKind::Folder)); }
char* NextFolder() { return NameResult(g_search.Next(EntryKind::Folder)); }

int CurrentAttributes() { return static_cast<int>(Record().dwFileAttributes); }
int CurrentSizeLow() { return static_cast<int>(Record().nFileSizeLow); }
int CurrentSizeHigh() { return static_cast<int>(Record().nFileSizeHigh); }

char* CurrentCreationDate(int separator) {
  return host::TextResult(DateText(TicksOf(Record().ftCreationTime), separator));
}
char* CurrentCreationTime(int separator) {
  return host::TextResult(TimeText(TicksOf(Record().ftCreationTime), separator));
}
char* CurrentLastAccessDate(int separator) {
  return host::TextResult(DateText(TicksOf(Record().ftLastAccessTime), separator));
}
char* CurrentLastAccessTime(int separator) {
  return host::TextResult(TimeText(TicksOf(Record().ftLastAccessTime), separator));
}
char* CurrentLastWriteDate(int separator) {
  return host::TextResult(DateText(TicksOf(Record().ftLastWriteTime), separator));
}
char* CurrentLastWriteTime(int separator) {
  return host::TextResult(TimeText(TicksOf(Record().ftLastWriteTime), separator));
}

char* CurrentSizeHex(int flag) {
  return host::TextResult(SizeHexText(Record().nFileSizeHigh, Record().nFileSizeLow, flag));
}
char* CurrentSizeDecimal(int flag) {
  return host::TextResult(SizeDecimalText(Record().nFileSizeHigh, Record().nFileSizeLow, flag));
}

}  // namespace hostkit::fs
