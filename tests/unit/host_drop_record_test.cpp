#include <gtest/gtest.h>

#include <string>

#include "host/drop_record.h"

namespace {

using hostkit::host::DropRecord;

TEST(DropRecord, NamesJoinInOrderAndReadingClears) {
  DropRecord record;
  EXPECT_EQ(record.Take(), "");
  for (const char* name : {"C:\\a.txt", "", "C:\\dir with space", "C:\\\xE9t\xE9\x80\xFF.txt"})
    EXPECT_TRUE(record.Add(name));
  EXPECT_EQ(record.Take(), "C:\\a.txt|C:\\dir with space|C:\\\xE9t\xE9\x80\xFF.txt");
  EXPECT_EQ(record.Take(), "");
  EXPECT_TRUE(record.Add("C:\\b"));
  EXPECT_EQ(record.Take(), "C:\\b");
}

// The bound counts the separators: 3 + 1 + 3 + 1 + 2 = 10 bytes fit a bound of 10 exactly.
TEST(DropRecord, PastTheBoundTheNameAndEveryLaterOneAreLeftOutUntilRead) {
  DropRecord record(10);
  EXPECT_TRUE(record.Add("aaa"));
  EXPECT_TRUE(record.Add("bbb"));
  EXPECT_TRUE(record.Add("cc"));
  EXPECT_FALSE(record.full());
  EXPECT_FALSE(record.Add("d"));
  EXPECT_TRUE(record.full());
  EXPECT_FALSE(record.Add(""));  // nothing gets in once full, not even what would fit
  EXPECT_EQ(record.Take(), "aaa|bbb|cc");
  EXPECT_FALSE(record.full());

  EXPECT_FALSE(record.Add(std::string(11, 'x')));  // a single name over the bound
  EXPECT_FALSE(record.Add("y"));
  EXPECT_EQ(record.Take(), "");
  EXPECT_TRUE(record.Add(std::string(10, 'z')));
  EXPECT_EQ(record.Take(), std::string(10, 'z'));
}

// A host that refuses the result buffer must not lose the names; names dropped while the answer was on its way
// stay for the next read.
TEST(DropRecord, ForgettingWhatWasDeliveredKeepsTheNamesAddedSince) {
  const struct {
    std::size_t delivered;  // bytes of "aaa|bb" that reached the script
    const char* left;
  } cases[] = {{6, "cc"}, {3, "bb|cc"}, {0, "aaa|bb|cc"}, {100, ""}};
  for (const auto& c : cases) {
    DropRecord record(12);
    record.Add("aaa");
    record.Add("bb");
    EXPECT_EQ(record.Pending(), "aaa|bb");
    record.Add("cc");
    record.Forget(c.delivered);
    EXPECT_EQ(record.Pending(), c.left) << c.delivered;
  }
  DropRecord full(3);
  full.Add("aaa");
  EXPECT_FALSE(full.Add("b"));
  full.Forget(3);
  EXPECT_TRUE(full.Add("b"));  // read, so it takes names again
  EXPECT_EQ(full.Pending(), "b");
}

}  // namespace
