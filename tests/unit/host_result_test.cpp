#include <gtest/gtest.h>

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

TEST_F(ResultTest, GuardsTurnExceptionsIntoFailureValues) {
  EXPECT_EQ(hostkit::GuardInt(-1, []() -> int { throw std::runtime_error("x"); }), -1);
  EXPECT_EQ(hostkit::GuardInt(-1, [] { return 7; }), 7);
  hostkit::GuardVoid([] { throw 3; });

  char* failed = hostkit::GuardString([]() -> char* { throw std::bad_alloc(); });
  ASSERT_NE(failed, nullptr);
  EXPECT_STREQ(failed, "");
  EXPECT_STREQ(hostkit::Arg(nullptr), "");

  // Without a create-string function a string command does nothing at all.
  hostkit::host::ReceiveQVRPtr(&LookupWithoutCreate);
  bool ran = false;
  EXPECT_EQ(hostkit::GuardString([&] {
              ran = true;
              return FormatResult("");
            }),
            nullptr);
  EXPECT_FALSE(ran);
}

}  // namespace
