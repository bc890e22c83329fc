// The request table: ids, the status of each stage, a result read once, the open bound and the kept bound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/request_table.h"

namespace {

using hostkit::dialogs::RequestEnd;
using hostkit::dialogs::RequestStatus;
using hostkit::dialogs::RequestTable;

RequestEnd Answer(std::string text, int* reads = nullptr) {
  return {RequestStatus::Answered, std::move(text), [reads] {
            if (reads != nullptr) ++*reads;
          }};
}

TEST(RequestTable, EachEndIsReadOnceWithItsStatusAndSideEffect) {
  struct Case {
    const char* name;
    RequestEnd end;
    RequestStatus status;
    std::string answer;
  };
  int reads = 0;
  std::vector<Case> cases;
  cases.push_back({"answered", Answer("C:\\a.txt", &reads), RequestStatus::Answered, "C:\\a.txt"});
  cases.push_back({"cancelled", {RequestStatus::Ended, "", {}}, RequestStatus::Ended, ""});
  cases.push_back({"not shown", {RequestStatus::NotShown, "", {}}, RequestStatus::NotShown, ""});
  cases.push_back({"a run that says open", {RequestStatus::Open, "x", {}}, RequestStatus::Ended, "x"});
  for (Case& c : cases) {
    RequestTable table;
    const int id = table.Open();
    ASSERT_GE(id, 1) << c.name;
    EXPECT_EQ(table.Status(id), RequestStatus::Open) << c.name;
    RequestEnd early;
    EXPECT_FALSE(table.Take(id, early)) << c.name << ": an open request has no result";
    std::string none;
    EXPECT_FALSE(table.Peek(id, none)) << c.name;
    EXPECT_EQ(table.Status(id), RequestStatus::Open) << c.name;
    table.Finish(id, std::move(c.end));
    EXPECT_EQ(table.Status(id), c.status) << c.name;
    std::string peeked = "?";
    ASSERT_TRUE(table.Peek(id, peeked)) << c.name;
    EXPECT_EQ(peeked, c.status == RequestStatus::Answered ? c.answer : "") << c.name;
    EXPECT_EQ(table.Status(id), c.status) << c.name << ": a peek keeps it";
    RequestEnd end;
    ASSERT_TRUE(table.Take(id, end)) << c.name;
    EXPECT_EQ(end.status, c.status) << c.name;
    EXPECT_EQ(end.answer, c.answer) << c.name;
    if (end.on_read) end.on_read();
    EXPECT_EQ(table.Status(id), RequestStatus::Unknown) << c.name << ": forgotten once read";
    EXPECT_FALSE(table.Take(id, end)) << c.name << ": read once";
    EXPECT_EQ(table.Size(), 0u) << c.name;
  }
  EXPECT_EQ(reads, 1);
}

TEST(RequestTable, UnknownIdsAreHarmless) {
  RequestTable table;
  const int id = table.Open();
  for (const int bad : {0, -1, id + 1, 2147483647, -2147483647 - 1}) {
    EXPECT_EQ(table.Status(bad), RequestStatus::Unknown) << bad;
    RequestEnd end;
    EXPECT_FALSE(table.Take(bad, end)) << bad;
    EXPECT_FALSE(table.Close(bad)) << bad;
    table.Finish(bad, Answer("x"));
  }
  EXPECT_EQ(table.Status(id), RequestStatus::Open);
  EXPECT_EQ(table.Size(), 1u);
}

TEST(RequestTable, CloseEndsAtOnceAndDropsTheLateAnswerAndItsSideEffect) {
  RequestTable table;
  int reads = 0;
  // Read before its thread ends, and after.
  for (const bool read_first : {true, false}) {
    const int id = table.Open();
    EXPECT_TRUE(table.Close(id));
    EXPECT_FALSE(table.Close(id)) << "closed once";
    EXPECT_FALSE(table.Wanted(id));
    EXPECT_EQ(table.Status(id), RequestStatus::Ended);
    EXPECT_EQ(table.Running(), 1) << "its thread still counts until it ends";
    RequestEnd end;
    if (read_first) {
      ASSERT_TRUE(table.Take(id, end));
    }
    table.Finish(id, Answer("late", &reads));
    if (!read_first) {
      ASSERT_TRUE(table.Take(id, end));
    }
    EXPECT_EQ(end.status, RequestStatus::Ended);
    EXPECT_EQ(end.answer, "");
    EXPECT_FALSE(end.on_read);
    EXPECT_EQ(table.Status(id), RequestStatus::Unknown);
    EXPECT_EQ(table.Size(), 0u) << "nothing left once the thread has ended";
    EXPECT_EQ(table.Running(), 0);
  }
  EXPECT_EQ(reads, 0);
}

TEST(RequestTable, SeventeenthOpenIsRefusedUntilAThreadEnds) {
  RequestTable table;
  std::vector<int> ids;
  for (int i = 0; i < RequestTable::kMaxOpen; ++i) ids.push_back(table.Open());
  for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(ids[i], static_cast<int>(i) + 1);
  EXPECT_EQ(table.Open(), 0);
  // A closed request's thread is still running: still full.
  table.Close(ids[0]);
  EXPECT_EQ(table.Open(), 0);
  table.Finish(ids[0], {});
  const int next = table.Open();
  EXPECT_EQ(next, RequestTable::kMaxOpen + 1) << "ids are not reused";
  table.Abandon(next);
  EXPECT_EQ(table.Status(next), RequestStatus::Unknown);
}

TEST(RequestTable, UnreadEndsAreKeptToTheBoundOldestEndFirst) {
  RequestTable table;
  std::vector<int> ids;
  for (std::size_t i = 0; i < RequestTable::kMaxKept + 5; ++i) {
    const int id = table.Open();
    ids.push_back(id);
    table.Finish(id, Answer(std::to_string(id)));
  }
  // An open request is never dropped, however many end after it.
  const int open = table.Open();
  for (int i = 0; i < 3; ++i) table.Finish(table.Open(), {});
  EXPECT_EQ(table.Size(), RequestTable::kMaxKept + 1);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(table.Status(ids[i]), RequestStatus::Unknown) << i;
  EXPECT_EQ(table.Status(ids[8]), RequestStatus::Answered);
  EXPECT_EQ(table.Status(open), RequestStatus::Open);
  RequestEnd end;
  ASSERT_TRUE(table.Take(ids.back(), end));
  EXPECT_EQ(end.answer, std::to_string(ids.back()));
}

}  // namespace
