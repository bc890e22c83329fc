// The rules every request table keeps: ids, the running bound, the kept bound with the oldest end first.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "requests/request_table.h"

namespace {

struct Item {
  bool ended = false;
  std::uint64_t stamp = 0;
  bool Ended() const { return ended; }
  std::uint64_t EndStamp() const { return stamp; }
};

using Table = hostkit::requests::Table<Item>;

TEST(RequestsTable, IdsClimbAreNotReusedAndWrapPastIntMax) {
  struct Case {
    const char* name;
    int last_id;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"from the start", 0, {1, 2, 3}},
      {"across INT_MAX", INT_MAX - 1, {INT_MAX, 1, 2}},
  };
  for (const Case& c : cases) {
    Table table({100, 100}, c.last_id);
    std::vector<int> ids;
    for (std::size_t i = 0; i < c.expected.size(); ++i) ids.push_back(table.Add(std::make_shared<Item>()));
    EXPECT_EQ(ids, c.expected) << c.name;
  }
  // Forgotten ids are not made again, and ids that were never made are unknown.
  Table round({100, 100});
  const int first = round.Add(std::make_shared<Item>());
  round.Forget(first);
  EXPECT_EQ(round.Add(std::make_shared<Item>()), first + 1);
  EXPECT_EQ(round.Find(first), nullptr);
  EXPECT_EQ(round.Find(0), nullptr);
  EXPECT_EQ(round.Find(-1), nullptr);
}

TEST(RequestsTable, RunningBoundRefusesAndEndedRequestsFreeTheirPlace) {
  Table table({3, 10});
  std::vector<std::shared_ptr<Item>> items;
  for (int i = 0; i < 3; ++i) {
    items.push_back(std::make_shared<Item>());
    ASSERT_NE(table.Add(items.back()), 0);
  }
  EXPECT_EQ(table.Add(std::make_shared<Item>()), 0) << "the fourth running";
  EXPECT_EQ(table.Size(), 3u);
  items[1]->ended = true;
  EXPECT_NE(table.Add(std::make_shared<Item>()), 0) << "an ended one holds no place";
}

TEST(RequestsTable, KeptBoundForgetsTheOldestEndFirstAndNeverARunningOne) {
  Table table({100, 2});
  struct Entry {
    int id;
    std::shared_ptr<Item> item;
  };
  std::vector<Entry> entries;
  // Ids 1..4 end in the order 3, 1, 4, 2 (stamps 20, 10, 40, 30 by id); 5 runs.
  const std::uint64_t stamps[] = {20, 40, 10, 30};
  for (const std::uint64_t stamp : stamps) {
    auto item = std::make_shared<Item>(Item{true, stamp});
    entries.push_back({table.Add(item), item});
  }
  auto running = std::make_shared<Item>();
  const int running_id = table.Add(running);
  EXPECT_EQ(table.Find(entries[2].id), nullptr) << "ended first (10)";
  EXPECT_EQ(table.Find(entries[0].id), nullptr) << "ended second (20)";
  EXPECT_NE(table.Find(entries[3].id), nullptr);
  EXPECT_NE(table.Find(entries[1].id), nullptr);
  EXPECT_EQ(table.Find(running_id), running);
  EXPECT_EQ(table.Size(), 3u);
}

}  // namespace
