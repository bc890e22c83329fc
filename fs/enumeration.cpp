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

std::string NameText(std::optional<std::string_view> name) { return name ? std::string(*name) : std::string(); }

const WIN32_FIND_DATAA& Record() { return g_search.record(); }
std::uint64_t TicksOf(const FILETIME& time) { return Ticks(time.dwLowDateTime, time.dwHighDateTime); }

}  // namespace

std::string FirstFile(const char* pattern) { return NameText(g_search.First(pattern, EntryKind::File)); }
std::string NextFile() { return NameText(g_search.Next(EntryKind::File)); }
std::string FirstFolder(const char* pattern) { return NameText(g_search.First(pattern, EntryKind::Folder)); }
std::string NextFolder() { return NameText(g_search.Next(EntryKind::Folder)); }

int CurrentAttributes() { return static_cast<int>(Record().dwFileAttributes); }
int CurrentSizeLow() { return static_cast<int>(Record().nFileSizeLow); }
int CurrentSizeHigh() { return static_cast<int>(Record().nFileSizeHigh); }

std::string CurrentCreationDate(int separator) { return DateText(TicksOf(Record().ftCreationTime), separator); }
std::string CurrentCreationTime(int separator) { return TimeText(TicksOf(Record().ftCreationTime), separator); }
std::string CurrentLastAccessDate(int separator) { return DateText(TicksOf(Record().ftLastAccessTime), separator); }
std::string CurrentLastAccessTime(int separator) { return TimeText(TicksOf(Record().ftLastAccessTime), separator); }
std::string CurrentLastWriteDate(int separator) { return DateText(TicksOf(Record().ftLastWriteTime), separator); }
std::string CurrentLastWriteTime(int separator) { return TimeText(TicksOf(Record().ftLastWriteTime), separator); }

std::string CurrentSizeHex(int flag) { return SizeHexText(Record().nFileSizeHigh, Record().nFileSizeLow, flag); }
std::string CurrentSizeDecimal(int flag) {
  return SizeDecimalText(Record().nFileSizeHigh, Record().nFileSizeLow, flag);
}

}  // namespace hostkit::fs
