#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/boundary.h"
#include "host/result.h"

namespace {

using hostkit::host::FormatResult;

// A host whose create-string function records each request and can refuse some of them.
struct FakeHost {
  std::vector<std::string> lookups;
  std::vector<std::int32_t> requests;
  int refuse_first = 0;  // answer null to this many requests
  std::vector<std::vector<char>> buffers;
};
FakeHost* g_host = nullptr;

std::intptr_t Create(std::int32_t size) {
  g_host->requests.push_back(size);
  if (g_host->refuse_first > 0) {
    --g_host->refuse_first;
    return 0;
  }
  g_host->buffers.emplace_back(static_cast<std::size_t>(size), '\xCD');
  return reinterpret_cast<std::intptr_t>(g_host->buffers.back().data());
}
std::intptr_t Delete(std::intptr_t) { return 0; }
std::intptr_t Lookup(const char* name) {
  g_host->lookups.emplace_back(name);
  if (std::strcmp(name, "CREATESTRING_S_L") == 0) return reinterpret_cast<std::intptr_t>(&Create);
  if (std::strcmp(name, "DELETESTRING_0_S") == 0) return reinterpret_cast<std::intptr_t>(&Delete);
  return 0;
}
std::intptr_t LookupWithoutCreate(const char* name) {
  g_host->lookups.emplace_back(name);
  return std::strcmp(name, "DELETESTRING_0_S") == 0 ? 42 : 0;
}

class ResultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_host = &host;
    host.buffers.reserve(16);  // buffers handed out must not move
    hostkit::host::ReceiveQVRPtr(&Lookup);
    host.lookups.clear();
  }
  FakeHost host;
};

TEST_F(ResultTest, LinkAsksForBothFunctionsInOrderAndAnswersTheSecond) {
  EXPECT_EQ(hostkit::host::ReceiveQVRPtr(&Lookup), reinterpret_cast<std::intptr_t>(&Delete));
  EXPECT_EQ(host.lookups, (std::vector<std::string>{"CREATESTRING_S_L", "DELETESTRING_0_S"}));
  EXPECT_TRUE(hostkit::host::HasCreateString());

  EXPECT_EQ(hostkit::host::ReceiveQVRPtr(&LookupWithoutCreate), 42);
  EXPECT_FALSE(hostkit::host::HasCreateString());
  EXPECT_EQ(FormatResult("%d", 1), nullptr);
  EXPECT_TRUE(host.requests.empty());

  EXPECT_EQ(hostkit::host::ReceiveQVRPtr(nullptr), 0);  // a null lookup is never called
  EXPECT_FALSE(hostkit::host::HasCreateString());
}

TEST_F(ResultTest, FormatsIntoAnExactlySizedBuffer) {
  const std::string long_text(300, 'x');
  struct Case {
    char* result;
    const char* expected;
    std::int32_t size;
  } cases[] = {
      {FormatResult(""), "", 1},
      {FormatResult("%s", long_text.c_str()), long_text.c_str(), 301},
      {FormatResult("%s", "100% %s %n"), "100% %s %n", 11},
      {FormatResult("%08X", 255), "000000FF", 9},
      {FormatResult("%d", -5), "-5", 3},
      {FormatResult("%08X:%08X", 1u, 0xFFFFFFFFu), "00000001:FFFFFFFF", 18},
      {FormatResult("%02d%c%02d%c%02d", 2024, '-', 3, '-', 15), "2024-03-15", 11},
  };
  ASSERT_EQ(host.requests.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    ASSERT_NE(cases[i].result, nullptr);
    EXPECT_STREQ(cases[i].result, cases[i].expected);
    EXPECT_EQ(host.requests[i], cases[i].size) << cases[i].expected;
  }
}

TEST_F(ResultTest, TextResultIsTheTextUpToItsFirstZeroInAnExactBuffer) {
  const std::string big(100000, 'y');
  const std::string with_zero("ab\0cd", 5);
  EXPECT_EQ(std::string(hostkit::host::TextResult(big)), big);
  EXPECT_STREQ(hostkit::host::TextResult(with_zero), "ab");
  EXPECT_STREQ(hostkit::host::TextResult("50% %s"), "50% %s");
  EXPECT_EQ(host.requests, (std::vector<std::int32_t>{100001, 3, 7}));

  host.requests.clear();
  host.refuse_first = 1;
  EXPECT_STREQ(hostkit::host::TextResult("abc"), "");
  EXPECT_EQ(host.requests, (std::vector<std::int32_t>{4, 1}));
}

TEST_F(ResultTest, NullFormatAndRefusedBuffersGiveTheEmptyResult) {
  char* empty = FormatResult(nullptr);
  ASSERT_NE(empty, nullptr);
  EXPECT_STREQ(empty, "");
  EXPECT_EQ(host.requests, (std::vector<std::int32_t>{1}));

  host.requests.clear();
  host.refuse_first = 1;
  char* fallback = FormatResult("%s", "hello");
  ASSERT_NE(fallback, nullptr);
  EXPECT_STREQ(fallback, "");
  EXPECT_EQ(host.requests, (std::vector<std::int32_t>{6, 1}));

  host.requests.clear();
  host.refuse_first = 2;
  EXPECT_EQ(FormatResult("%s", "hello"), nullptr);
  EXPECT_EQ(host.requests, (std::vector<std::int32_t>{6, 1}));
}

TEST_F(ResultTest, TheGuardTurnsExceptionsIntoFailureValues) {
  EXPECT_EQ(hostkit::Guard([]() -> int { throw std::runtime_error("x"); }, -1), -1);
  EXPECT_EQ(hostkit::Guard([] { return 7; }, -1), 7);
  bool ran = false;
  hostkit::Guard([&] {
    ran = true;
    throw 3;
  });
  EXPECT_TRUE(ran);
  EXPECT_STREQ(hostkit::Arg(nullptr), "");

  // A failure given as a function is made only when the body throws: a host string costs a request.
  const auto empty = [] { return hostkit::host::EmptyResult(); };
  char* failed = hostkit::Guard([]() -> char* { throw std::bad_alloc(); }, empty);
  ASSERT_NE(failed, nullptr);
  EXPECT_STREQ(failed, "");
  EXPECT_EQ(host.requests, (std::vector<std::int32_t>{1}));
  EXPECT_STREQ(hostkit::Guard([] { return FormatResult("%d", 5); }, empty), "5");
  EXPECT_EQ(host.requests, (std::vector<std::int32_t>{1, 2}));
}

// A fixed-size text is copied as it is into a buffer of exactly its size, ending in the terminator whatever
// its last byte was: the drive scan's "C:" and its end, "" with the colon left behind the terminator.
TEST_F(ResultTest, FixedTextsFillABufferOfTheirExactSize) {
  const struct {
    std::array<char, 3> text;
    const char* expected;
  } cases[] = {{{'C', ':', '\0'}, "C:"}, {{'\0', ':', '\0'}, ""}, {{'A', 'B', 'C'}, "AB"}};
  for (const auto& c : cases) {
    host.requests.clear();
    char* result = hostkit::host::FixedResult(c.text);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(host.requests, (std::vector<std::int32_t>{3}));
    EXPECT_STREQ(result, c.expected);
    EXPECT_EQ(std::memcmp(result, c.text.data(), 2), 0) << "the bytes behind the terminator stay too";
    EXPECT_EQ(result[2], '\0');
  }
  host.refuse_first = 1;
  EXPECT_EQ(hostkit::host::FixedResult(std::array<char, 3>{'C', ':', '\0'}), nullptr);
}

}  // namespace
