#pragma once
// The one folder search of the process and the record of the entry it read last. File and folder
// enumeration share the search; only the directory bit decides which entries each kind returns.
//
// Platform supplies: Record (the entry record, filled in place), Handle (a move-only owner of the search,
// empty when default-made, true when open), and
//   static Handle Open(const char* pattern, Record&);   // first entry into the record, or an empty handle
//   static bool Next(const Handle&, Record&);           // next entry into the record, false at the end
//   static std::uint32_t Attributes(const Record&);
//   static std::string_view Name(const Record&);        // read within the record's bounds
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace hostkit::fs {

enum class EntryKind { File, Folder };

constexpr std::uint32_t kDirectoryBit = 0x10;  // FILE_ATTRIBUTE_DIRECTORY

constexpr bool IsKind(std::uint32_t attributes, EntryKind kind) noexcept {
  return ((attributes & kDirectoryBit) != 0) == (kind == EntryKind::Folder);
}

template <class Platform>
class FolderSearch {
 public:
  using Record = typename Platform::Record;
  using Handle = typename Platform::Handle;

  // Opens a search in place of any open one (which is closed first, so an abandoned search never leaks)
  // and answers the first entry of the kind, or nullopt with no search left open.
  std::optional<std::string_view> First(const char* pattern, EntryKind kind) {
    handle_ = Handle();
    handle_ = Platform::Open(pattern, record_);
    if (!handle_) return std::nullopt;
    return SkipTo(kind);
  }

  // Answers the next entry of the kind, or nullopt (the search is then closed). Without an open search it
  // answers nullopt and leaves the record alone.
  std::optional<std::string_view> Next(EntryKind kind) {
    if (!handle_) return std::nullopt;
    if (!Platform::Next(handle_, record_)) return End();
    return SkipTo(kind);
  }

  bool open() const noexcept { return static_cast<bool>(handle_); }
  const Record& record() const noexcept { return record_; }

 private:
  // Every entry read lands in the record, skipped or not; the end leaves the last one there.
  std::optional<std::string_view> SkipTo(EntryKind kind) {
    while (!IsKind(Platform::Attributes(record_), kind))
      if (!Platform::Next(handle_, record_)) return End();
    return Platform::Name(record_);
  }
  std::optional<std::string_view> End() {
    handle_ = Handle();
    return std::nullopt;
  }

  Handle handle_;
  Record record_{};
};

}  // namespace hostkit::fs
