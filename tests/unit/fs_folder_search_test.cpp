#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fs/folder_search.h"

namespace {

using hostkit::fs::EntryKind;

struct Entry {
  std::string name;
  std::uint32_t attributes = 0;
};

// A platform whose one folder lists the entries below for any pattern except "none"; it counts open searches.
struct FakePlatform {
  static inline std::vector<Entry> folder;
  static inline int open_searches = 0;

  struct Record {
    Entry entry;
    int reads = 0;
  };
  class Handle {
   public:
    Handle() = default;
    explicit Handle(bool open) : next_(open ? 1 : -1) { open_searches += open; }
    Handle(Handle&& other) noexcept : next_(std::exchange(other.next_, -1)) {}
    Handle& operator=(Handle&& other) noexcept {
      if (this != &other) {
        Close();
        next_ = std::exchange(other.next_, -1);
      }
      return *this;
    }
    ~Handle() { Close(); }
    explicit operator bool() const { return next_ >= 0; }
    mutable int next_ = -1;

   private:
    void Close() {
      if (next_ >= 0) --open_searches;
      next_ = -1;
    }
  };

  static Handle Open(const char* pattern, Record& record) {
    if (std::string(pattern) == "none" || folder.empty()) return Handle();
    record = {folder[0], record.reads + 1};
    return Handle(true);
  }
  static bool Next(const Handle& h, Record& record) {
    if (h.next_ >= static_cast<int>(folder.size())) return false;
    record = {folder[h.next_++], record.reads + 1};
    return true;
  }
  static std::uint32_t Attributes(const Record& r) { return r.entry.attributes; }
  static std::string_view Name(const Record& r) { return r.entry.name; }
};

using Search = hostkit::fs::FolderSearch<FakePlatform>;

std::string Text(std::optional<std::string_view> name) { return name ? std::string(*name) : "<end>"; }

class FolderSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakePlatform::folder = {{".", 0x10}, {"..", 0x10}, {"a.txt", 0x20}, {"sub", 0x10}, {"b.txt", 0x21}, {"zdir", 0x12}};
    FakePlatform::open_searches = 0;
  }
};

TEST_F(FolderSearchTest, EachKindSkipsTheOtherAndTheEndClosesTheSearch) {
  Search s;
  std::vector<std::string> files{Text(s.First("*", EntryKind::File))};
  for (int i = 0; i < 3; ++i) files.push_back(Text(s.Next(EntryKind::File)));
  EXPECT_EQ(files, (std::vector<std::string>{"a.txt", "b.txt", "<end>", "<end>"}));
  EXPECT_FALSE(s.open());
  EXPECT_EQ(FakePlatform::open_searches, 0);
  // The end came while skipping "zdir": the record keeps it, and later next-calls read nothing.
  EXPECT_EQ(s.record().entry.name, "zdir");
  EXPECT_EQ(s.record().reads, 6);

  std::vector<std::string> folders{Text(s.First("*", EntryKind::Folder))};
  for (int i = 0; i < 4; ++i) folders.push_back(Text(s.Next(EntryKind::Folder)));
  EXPECT_EQ(folders, (std::vector<std::string>{".", "..", "sub", "zdir", "<end>"}));
  EXPECT_EQ(FakePlatform::open_searches, 0);
}

TEST_F(FolderSearchTest, BothKindsContinueTheOneSearch) {
  Search s;
  EXPECT_EQ(Text(s.First("*", EntryKind::File)), "a.txt");
  EXPECT_EQ(Text(s.Next(EntryKind::Folder)), "sub");
  EXPECT_EQ(Text(s.Next(EntryKind::File)), "b.txt");
}

TEST_F(FolderSearchTest, AFirstCallReplacesAnOpenSearchAndClosesIt) {
  Search s;
  for (int i = 0; i < 50; ++i) EXPECT_EQ(Text(s.First("*", EntryKind::Folder)), ".");
  EXPECT_EQ(FakePlatform::open_searches, 1);
  EXPECT_EQ(Text(s.First("none", EntryKind::File)), "<end>");
  EXPECT_EQ(FakePlatform::open_searches, 0);
  EXPECT_EQ(Text(s.Next(EntryKind::File)), "<end>");
}

TEST_F(FolderSearchTest, NoWantedEntryAtAllLeavesNoSearchOpen) {
  FakePlatform::folder = {{".", 0x10}, {"..", 0x10}, {"only", 0x10}};
  Search s;
  EXPECT_EQ(Text(s.First("*", EntryKind::File)), "<end>");
  EXPECT_FALSE(s.open());
  EXPECT_EQ(s.record().entry.attributes & 0x10, 0x10u);
}

TEST_F(FolderSearchTest, NextWithoutASearchLeavesTheRecordAlone) {
  Search s;
  EXPECT_EQ(Text(s.Next(EntryKind::File)), "<end>");
  EXPECT_EQ(s.record().reads, 0);
  EXPECT_EQ(s.record().entry.attributes, 0u);
}

}  // namespace
