// The portable rules of programs run beside the game: the start's checks, where a read may cut the output, the
// bounded output buffer and the bounded input queue.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "programs/input_queue.h"
#include "programs/output_buffer.h"
#include "programs/output_text.h"
#include "programs/program_rules.h"

namespace {

using namespace hostkit::programs;

TEST(ProgramRules, StartIsRefusedOnlyForTheReasonsTheDocsGive) {
  struct Case {
    std::string line;
    int flags;
    Refusal expected;
  };
  const Case cases[] = {
      {"tool.exe", 0, Refusal::Accepted},
      {"", 0, Refusal::EmptyCommandLine},
      {" \t ", 1, Refusal::EmptyCommandLine},
      {std::string(32766, 'x'), 0, Refusal::Accepted},
      {std::string(32767, 'x'), 0, Refusal::CommandLineTooLong},
      {"tool", kOemOutput | kCapture, Refusal::Accepted},
      {"tool", kOemOutput | kUtf8Output, Refusal::TwoEncodings},
      {"tool", 1 | 2 | 4 | 8 | 32, Refusal::Accepted},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CheckStart(c.line, c.flags), c.expected) << c.line.size() << " bytes, flags " << c.flags;
}

TEST(ProgramRules, AReadNeverCutsACharacter) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t utf8;
    std::size_t double_byte;  // 0x81 to 0x9F lead bytes, as in code page 932
  };
  const Case cases[] = {
      {"ascii", "abc", 3, 3},
      {"empty", "", 0, 0},
      {"two-byte whole", "a\xC3\xA9", 3, 3},
      {"two-byte cut", "a\xC3", 1, 2},
      {"three-byte cut after one", "a\xE2\x82", 1, 2},
      {"three-byte whole", "\xE2\x82\xAC", 3, 3},
      {"four-byte cut after three", "x\xF0\x9F\x98", 1, 4},
      {"four-byte whole", "\xF0\x9F\x98\x80", 4, 4},
      {"stray continuation", "a\x80", 2, 2},
      {"lead at the end", "ab\x82", 3, 2},
      {"lead and trail that looks like a lead", "\x82\x82\x82", 3, 2},
  };
  const auto is_lead = [](unsigned char byte) { return byte >= 0x81 && byte <= 0x9F; };
  for (const Case& c : cases) {
    EXPECT_EQ(WholeUtf8(c.bytes), c.utf8) << c.name;
    EXPECT_EQ(WholeDoubleByte(c.bytes, is_lead), c.double_byte) << c.name;
  }
  EXPECT_EQ(WithoutZeros(std::string("a\0b\0\0c", 6)), "abc");
}

std::size_t All(std::string_view bytes) { return bytes.size(); }

TEST(ProgramOutputBuffer, HoldsAtMostItsBoundAndTheDrainWaitsUntilTheScriptReads) {
  OutputBuffer buffer(10);
  EXPECT_EQ(buffer.WaitForRoom(), 10u);
  buffer.Append("0123456789");
  std::string second;
  std::thread drain([&] {
    const std::size_t room = buffer.WaitForRoom();  // blocks: the buffer is full
    buffer.Append(std::string(room, 'x'));
    buffer.Close();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(buffer.Unread(), 10u) << "nothing appended past the bound";
  EXPECT_FALSE(buffer.Closed());
  EXPECT_EQ(buffer.Take(All), "0123456789");
  drain.join();
  EXPECT_TRUE(buffer.Closed());
  EXPECT_FALSE(buffer.Drained());
  EXPECT_EQ(buffer.Take(All), std::string(10, 'x'));
  EXPECT_TRUE(buffer.Drained());
}

TEST(ProgramOutputBuffer, AnUnfinishedCharacterWaitsUntilItsBytesComeOrThePipeEnds) {
  OutputBuffer buffer;
  buffer.Append("ab\xE2\x82");
  EXPECT_EQ(buffer.Take(WholeUtf8), "ab");
  EXPECT_EQ(buffer.Take(WholeUtf8), "");
  buffer.Append("\xAC!\xC3");
  EXPECT_EQ(buffer.Take(WholeUtf8), "\xE2\x82\xAC!");
  buffer.Close();
  EXPECT_EQ(buffer.Take(WholeUtf8), "\xC3") << "at the end what is left goes as it is";
  EXPECT_TRUE(buffer.Drained());
}

TEST(ProgramInputQueue, QueuesUpToItsBoundAndAnswersWhyItRefuses) {
  using Next = InputQueue::Next;
  constexpr std::chrono::milliseconds kNoWait{0};
  InputQueue queue(8);
  EXPECT_EQ(queue.Push("12345"), InputQueue::kQueued);
  EXPECT_EQ(queue.Push("6789"), InputQueue::kFull) << "refused whole";
  std::string bytes;
  EXPECT_EQ(queue.Take(bytes, kNoWait), Next::Write);
  EXPECT_EQ(bytes, "12345");
  EXPECT_EQ(queue.Push("6789"), InputQueue::kFull) << "what the writer holds still counts";
  EXPECT_EQ(queue.Take(bytes, kNoWait), Next::Idle) << "written: the room is back";
  EXPECT_EQ(queue.Push("678"), InputQueue::kQueued);
  queue.Close();
  EXPECT_EQ(queue.Push("x"), InputQueue::kClosed);
  EXPECT_EQ(queue.Take(bytes, kNoWait), Next::Write) << "what came before the close is still written";
  EXPECT_EQ(bytes, "678");
  EXPECT_EQ(queue.Take(bytes, kNoWait), Next::Done);

  InputQueue broken(8);
  EXPECT_EQ(broken.Push("abc"), InputQueue::kQueued);
  broken.Break();
  EXPECT_EQ(broken.Push("x"), InputQueue::kBroken);
  EXPECT_EQ(broken.Take(bytes, kNoWait), Next::Done) << "dropped";
}

}  // namespace
