// The request table: ids, the status of each stage, a result read once, the open bound and the kept bound.
#include <gtest/gtest.h>

#include <new>
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

// Reads `id` as a host that takes the answer (or refuses it): whether it was read, and what was handed over.
bool ReadAnswer(RequestTable& table, int id, std::string& answer, bool take = true) {
  answer = "<not handed over>";
  return table.Read(id, [&](const std::string& text) {
    answer = text;
    return take;
  });
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
  int reads_seen = 0;
  for (Case& c : cases) {
    RequestTable table;
    const int id = table.Open();
    ASSERT_GE(id, 1) << c.name;
    EXPECT_EQ(table.Status(id), RequestStatus::Open) << c.name;
    std::string answer;
    EXPECT_FALSE(ReadAnswer(table, id, answer)) << c.name << ": an open request has no result";
    EXPECT_EQ(answer, "<not handed over>") << c.name;
    EXPECT_EQ(table.Status(id), RequestStatus::Open) << c.name;
    table.Finish(id, std::move(c.end));
    EXPECT_EQ(table.Status(id), c.status) << c.name;
    EXPECT_FALSE(ReadAnswer(table, id, answer, false)) << c.name << ": refused by the host";
    EXPECT_EQ(answer, c.status == RequestStatus::Answered ? c.answer : "") << c.name;
    EXPECT_EQ(table.Status(id), c.status) << c.name << ": a refused read keeps it";
    EXPECT_THROW(table.Read(id, [](const std::string&) -> bool { throw std::bad_alloc(); }), std::bad_alloc);
    EXPECT_EQ(table.Status(id), c.status) << c.name << ": a read that failed keeps it";
    EXPECT_EQ(reads, 0) << c.name << ": no side effect without the answer";
    ASSERT_TRUE(ReadAnswer(table, id, answer)) << c.name;
    EXPECT_EQ(answer, c.status == RequestStatus::Answered ? c.answer : "") << c.name;
    EXPECT_EQ(table.Status(id), RequestStatus::Unknown) << c.name << ": forgotten once read";
    EXPECT_FALSE(ReadAnswer(table, id, answer)) << c.name << ": read once";
    EXPECT_EQ(table.Size(), 0u) << c.name;
    reads_seen += reads;
    reads = 0;
  }
  EXPECT_EQ(reads_seen, 1);
}

TEST(RequestTable, UnknownIdsAreHarmless) {
  RequestTable table;
  const int id = table.Open();
  for (const int bad : {0, -1, id + 1, 2147483647, -2147483647 - 1}) {
    EXPECT_EQ(table.Status(bad), RequestStatus::Unknown) << bad;
    std::string answer;
    EXPECT_FALSE(ReadAnswer(table, bad, answer)) << bad;
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
    std::string answer;
    if (read_first) {
      ASSERT_TRUE(ReadAnswer(table, id, answer));
    }
    table.Finish(id, Answer("late", &reads));
    if (!read_first) {
      ASSERT_TRUE(ReadAnswer(table, id, answer));
    }
    EXPECT_EQ(answer, "");
    EXPECT_EQ(table.Status(id), RequestStatus::Unknown);
    EXPECT_EQ(table.Size(), 0u) << "nothing left once the thread has ended";
    EXPECT_EQ(table.Running(), 0);
  }
  EXPECT_EQ(reads, 0);
}

TEST(RequestTable, SeventeenthOpenIsRefusedUntilOneEnds) {
  RequestTable table;
  std::vector<int> ids;
  for (int i = 0; i < RequestTable::kMaxOpen; ++i) ids.push_back(table.Open());
  for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(ids[i], static_cast<int>(i) + 1);
  EXPECT_EQ(table.Open(), 0);
  // Closed, its thread still winding down: no longer open, so one more starts.
  table.Close(ids[0]);
  const int next = table.Open();
  EXPECT_EQ(next, RequestTable::kMaxOpen + 1) << "ids are not reused";
  EXPECT_EQ(table.Open(), 0);
  table.Finish(ids[1], Answer("x"));  // ended by its dialog, answer unread
  EXPECT_GE(table.Open(), 1);
  EXPECT_EQ(table.Open(), 0);
  table.Abandon(next);
  EXPECT_EQ(table.Status(next), RequestStatus::Unknown);
}

// Closing a request and starting another, every frame, while the closed threads take their time to go: the starts
// go on until the threads winding down reach their own bound, and open again as one ends.
TEST(RequestTable, ThreadsWindingDownHaveABoundOfTheirOwn) {
  RequestTable table;
  const int kept_open = table.Open();  // one dialog the player keeps open all along
  std::vector<int> closing;
  for (int round = 0; round < RequestTable::kMaxWindingDown; ++round) {
    const int id = table.Open();
    ASSERT_GE(id, 1) << "round " << round;
    table.Close(id);
    closing.push_back(id);
  }
  EXPECT_EQ(table.Running(), RequestTable::kMaxWindingDown + 1);
  EXPECT_EQ(table.Open(), 0) << "every winding-down place taken, one request open";
  table.Finish(closing.front(), {});
  const int id = table.Open();
  EXPECT_GE(id, 1);
  EXPECT_EQ(table.Status(kept_open), RequestStatus::Open);
  EXPECT_EQ(table.Status(id), RequestStatus::Open);
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
  std::string answer;
  ASSERT_TRUE(ReadAnswer(table, ids.back(), answer));
  EXPECT_EQ(answer, std::to_string(ids.back()));
}

// The host's buffer is made while the read is under way; requests that end meanwhile must not push the read one
// out, or the host gets the answer while its side effect never happens.
TEST(RequestTable, ARequestReadWhileOthersEndKeepsItsAnswerAndSideEffect) {
  for (const bool take : {true, false}) {
    SCOPED_TRACE(take ? "taken" : "refused, then taken");
    RequestTable table;
    int reads = 0;
    const int read = table.Open();
    table.Finish(read, Answer("colours", &reads));  // the oldest end: the first to go past the bound
    for (std::size_t i = 1; i < RequestTable::kMaxKept; ++i) table.Finish(table.Open(), Answer("other"));
    std::vector<int> later;
    std::string answer;
    const bool done = table.Read(read, [&](const std::string& text) {
      answer = text;
      // Ends that would each push out the oldest kept request, and a second read of the same one.
      for (int i = 0; i < 5; ++i) table.Finish(table.Open(), Answer("meanwhile"));
      const int closed = table.Open();
      table.Close(closed);
      table.Finish(closed, {});
      EXPECT_EQ(table.Status(read), RequestStatus::Answered) << "held while it is read";
      std::string again;
      EXPECT_FALSE(ReadAnswer(table, read, again)) << "one read at a time";
      return take;
    });
    EXPECT_EQ(done, take);
    EXPECT_EQ(answer, "colours");
    EXPECT_EQ(reads, take ? 1 : 0);
    EXPECT_EQ(table.Status(read), take ? RequestStatus::Unknown : RequestStatus::Answered);
    EXPECT_EQ(table.Size(), RequestTable::kMaxKept - (take ? 1 : 0)) << "the bound held while it was read";
    if (!take) {
      // Refused: still kept, and the next read takes it with its side effect.
      ASSERT_TRUE(ReadAnswer(table, read, answer));
      EXPECT_EQ(answer, "colours");
      EXPECT_EQ(reads, 1);
    }
  }
}

}  // namespace
