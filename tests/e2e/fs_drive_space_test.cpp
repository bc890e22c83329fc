// Drive space under Wine: the three counts of the test folder's volume against the platform's, and failures.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

#include "tests/e2e/harness/host.h"
#include "tests/e2e/harness/process.h"

namespace {

// Other programs on this machine write to the same disk between two reads of its free space.
constexpr std::uint64_t kConcurrentWritesMargin = 1ull << 30;

std::uint64_t Count(const std::string& text) {
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
  return std::stoull(text);
}

std::uint64_t Distance(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : b - a; }

TEST(DriveSpace, TheThreeItemsAreThePlatformsCountsInDecimal) {
  auto& host = e2e::Host();
  e2e::TempDir dir;
  const std::string root = dir.path().substr(0, 3);  // "C:\"
  ULARGE_INTEGER available{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free));

  for (const std::string& path : {root, root.substr(0, 2), dir.path()}) {
    const std::uint64_t user = Count(*host.Str("GetSystemDriveSpace", path, 0));
    const std::uint64_t size = Count(*host.Str("GetSystemDriveSpace", path, 1));
    const std::uint64_t left = Count(*host.Str("GetSystemDriveSpace", path, 2));
    EXPECT_EQ(size, total.QuadPart) << path;
    EXPECT_LE(Distance(user, available.QuadPart), kConcurrentWritesMargin) << path;
    EXPECT_LE(Distance(left, free.QuadPart), kConcurrentWritesMargin) << path;
    // Read in two calls, with other programs writing between them.
    EXPECT_LE(user, left + kConcurrentWritesMargin) << path;
    EXPECT_LE(left, size) << path;
  }
  // Exact past 32 bits: the test volume is larger than 4 GB.
  EXPECT_GT(total.QuadPart, 0xFFFFFFFFull);
}

TEST(DriveSpace, UnknownItemsMissingDrivesAndEmptyRootsGiveEmpty) {
  auto& host = e2e::Host();
  const DWORD present = GetLogicalDrives();
  std::string missing;
  for (int bit = 25; bit >= 3 && missing.empty(); --bit)
    if ((present & (1u << bit)) == 0) missing = std::string(1, static_cast<char>('A' + bit)) + ":\\";
  ASSERT_FALSE(missing.empty());

  for (int item : {-1, 3, 0x100}) EXPECT_EQ(host.Str("GetSystemDriveSpace", "C:\\", item), "") << item;
  for (int item : {0, 1, 2}) {
    EXPECT_EQ(host.Str("GetSystemDriveSpace", missing, item), "") << missing;
    EXPECT_EQ(host.Str("GetSystemDriveSpace", "C:\\no-such-folder\\", item), "");
    EXPECT_EQ(host.Str("GetSystemDriveSpace", "", item), "");
    EXPECT_EQ(host.Str("GetSystemDriveSpace", nullptr, item), "");
  }
}

}  // namespace
