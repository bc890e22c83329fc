#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "fs/drive_scan.h"
#include "fs/drive_type.h"
#include "fs/volume_cache.h"

namespace {

using hostkit::fs::DriveScan;

constexpr std::uint32_t Bits(std::initializer_list<char> letters) {
  std::uint32_t mask = 0;
  for (char c : letters) mask |= std::uint32_t{1} << (c - 'A');
  return mask;
}

// The letters a scan yields, with "" for each -1 after the end.
std::string Walk(DriveScan& scan, std::uint32_t mask, bool first, int calls) {
  std::string out;
  for (int i = 0; i < calls; ++i) {
    const int bit = (first && i == 0) ? scan.First(mask) : scan.Next(mask);
    out += bit < 0 ? '.' : hostkit::fs::DriveLetter(bit);
  }
  return out;
}

// The host's 3-byte drive string for each answer of the scan: the end keeps the colon behind the terminator.
TEST(DriveScan, EveryAnswerIsAThreeByteDriveText) {
  const struct {
    int bit;
    hostkit::fs::DriveText text;
  } cases[] = {{0, {'A', ':', '\0'}},  {2, {'C', ':', '\0'}},   {25, {'Z', ':', '\0'}},
               {31, {'`', ':', '\0'}}, {-1, {'\0', ':', '\0'}}, {DriveScan::kEnd, {'\0', ':', '\0'}}};
  for (const auto& c : cases) EXPECT_EQ(hostkit::fs::DriveTextOf(c.bit), c.text) << c.bit;
}

TEST(DriveScan, WalksTheMaskAndStaysEndedUntilARestart) {
  const struct {
    std::uint32_t mask;
    bool first;
    const char* expected;
  } cases[] = {
      {Bits({'A', 'C', 'D'}), true, "ACD.."},
      {Bits({'A', 'C', 'D'}), false, "CD..."},  // a next-call before any first-call starts after A
      {Bits({'C'}), true, "C...."},
      {Bits({'A'}), false, "....."},
      {0, true, "....."},
      {Bits({'Z'}) | 0x80000000u, true, "Z`..."},  // the whole 32-bit mask is scanned
  };
  for (const auto& c : cases) {
    DriveScan scan;
    EXPECT_EQ(Walk(scan, c.mask, c.first, 5), c.expected) << c.mask;
    EXPECT_EQ(scan.position(), DriveScan::kEnd);
    // A first-call restarts an ended scan.
    EXPECT_EQ(scan.First(c.mask), c.mask == 0 ? -1 : std::countr_zero(c.mask)) << c.mask;
  }
}

TEST(DriveScan, ReadsTheMaskAfreshAtEveryCall) {
  DriveScan scan;
  EXPECT_EQ(scan.First(Bits({'C', 'E'})), 2);
  EXPECT_EQ(scan.Next(Bits({'C', 'D', 'E'})), 3);  // D appeared between the calls
  EXPECT_EQ(scan.Next(Bits({'C', 'D'})), -1);      // E went away
}

TEST(DriveTypeWord, NamesTheSevenTypesAndNothingElse) {
  const char* expected[] = {"Unknown", "Unavailable", "Removable", "Fixed", "Network", "CD-Rom", "RAM-Disk", "", ""};
  const unsigned types[] = {0, 1, 2, 3, 4, 5, 6, 7, 0xFFFFFFFFu};
  for (int i = 0; i < 9; ++i) EXPECT_STREQ(hostkit::fs::DriveTypeWord(types[i]), expected[i]) << types[i];
}

// A volume query that answers from a table of drives and records every root it was asked for.
struct FakeVolumes {
  std::vector<std::string> asked;
  hostkit::fs::VolumeQuery Query() {
    return [this](const std::string& root, hostkit::fs::VolumeInfo& info) {
      asked.push_back(root);
      EXPECT_TRUE(info.volume_name.empty() && info.file_system.empty());
      if (root == "C:\\" || root == "c:\\") {
        info = {root == "C:\\" ? "SYSTEM" : "lower", "NTFS", 0xABCD, 255};
        return true;
      }
      info.serial = 7;  // a failing platform may still write the numbers
      info.volume_name = "partial";
      return false;
    };
  }
};

TEST(VolumeCache, QueriesOncePerNormalisedKeyAndSelectsAfterQuerying) {
  FakeVolumes fake;
  hostkit::fs::VolumeCache cache;
  const auto query = fake.Query();
  const struct {
    const char* path;
    int selector;
    const char* expected;
    std::size_t queries_so_far;
  } steps[] = {
      {"C:", 3, "SYSTEM", 1}, {"C:\\", 2, "NTFS", 1}, {"C:", 0, "0000ABCD", 1}, {"C:", 1, "255", 1},
      {"c:", 3, "lower", 2},  {"C:\\", 4, "", 3},     {"c:\\", -1, "", 4},      {"", 3, "", 4},
      {"Q:", 2, "", 5},       {"Q:", 3, "", 6},       {"Q:", 0, "00000007", 7}, {"C:", 3, "SYSTEM", 8},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(cache.Read(s.path, s.selector, query), s.expected) << s.path << " " << s.selector;
    EXPECT_EQ(fake.asked.size(), s.queries_so_far) << s.path << " " << s.selector;
  }
  EXPECT_EQ(fake.asked.front(), "C:\\") << "the query receives the normalised root";
  EXPECT_EQ(cache.key(), "C:\\");
}

TEST(VolumeCache, KeyAddsOneBackslashOnlyWhenMissing) {
  EXPECT_EQ(hostkit::fs::VolumeKey("C:"), "C:\\");
  EXPECT_EQ(hostkit::fs::VolumeKey("C:\\"), "C:\\");
  EXPECT_EQ(hostkit::fs::VolumeKey("\\\\server\\share"), "\\\\server\\share\\");
}

}  // namespace
