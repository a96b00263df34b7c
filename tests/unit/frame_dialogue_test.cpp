// Standard input by lines, the three questions and the Filmstrip tail they produce.
#include <gtest/gtest.h>

#include <cstring>

#include "filmstrip/frame_dialogue.h"
#include "support/memory_platform.h"

namespace varnholt {
namespace {

using fixtures::Bytes;
using fixtures::TMemoryConsoleDevice;

const std::string Prompts =
    "Enter cursor frame height: Enter cursor leading frame height: Enter frames per seconds: ";

Bytes TailBytes(const TFilmstripTail& tail) {
  Bytes bytes(sizeof tail);
  std::memcpy(bytes.data(), &tail, sizeof tail);
  return bytes;
}

// The expected tail from its fields, written out byte by byte in big-endian order.
Bytes ExpectedTail(uint32_t frameCount, uint16_t width, uint16_t frameHeight, uint16_t leading,
                   uint16_t framesPerSecond) {
  Bytes tail = {'R', 'a', 'n', 'd'};
  fixtures::AppendLong(tail, frameCount);
  fixtures::AppendLong(tail, 0);  // Reserved1, Reserved2
  for (uint16_t field : {width, frameHeight, leading, framesPerSecond}) fixtures::AppendWord(tail, field);
  tail.insert(tail.end(), 16, 0);
  return tail;
}

TEST(ConsoleReadLine, SplitsAtLineFeedOrCarriageReturnLineFeed) {
  // The console reads 4096 bytes at a time: the first long line ends with its CR as the last byte
  // of the first read and its LF as the first of the second; the next one spans three reads.
  const std::string head = "one\ntwo\r\n\r\n\nin\rside\r\r\n";
  const std::string longLine(4095 - head.size(), '7');
  TMemoryConsoleDevice device(head + longLine + "\r\n" + longLine + longLine + longLine + longLine +
                              "\nlast without end\r");
  TConsole console(device);
  for (const std::string& expected :
       {std::string("one"), std::string("two"), std::string(""), std::string(""), std::string("in\rside\r"), longLine,
        longLine + longLine + longLine + longLine, std::string("last without end\r"), std::string(""), std::string("")})
    EXPECT_EQ(console.ReadLine(), expected);
  EXPECT_EQ(device.InputRead, device.Input.size());
}

TEST(ConsoleReadLine, EmptyInputGivesEmptyLines) {
  TMemoryConsoleDevice device("");
  TConsole console(device);
  EXPECT_EQ(console.ReadLine(), "");
  EXPECT_EQ(console.ReadLine(), "");
}

struct TGeometryCase {
  const char* Name;
  uint32_t Rows;
  uint32_t Columns;
  std::string Answers;
  Bytes Tail;
};

TEST(AskFrameGeometry, BuildsTheTailFromTheAnswers) {
  const TGeometryCase cases[] = {
      {"the 64 x 32 example", 64, 32, "30\n2\n12\n",
       {0x52, 0x61, 0x6E, 0x64, 0, 0, 0, 2, 0, 0, 0, 0, 0x00, 0x20, 0x00, 0x1E, 0x00, 0x02, 0x00, 0x0C,
        0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0}},
      {"rows left below the last whole frame", 100, 8, "32\n2\n1\n", ExpectedTail(2, 8, 32, 2, 1)},
      {"fewer rows than one frame", 10, 8, "32\n2\n1\n", ExpectedTail(0, 8, 32, 2, 1)},
      {"answers cut to their low 16 bits", 70000, 70000, "-1\n70000\n-65536\n",
       ExpectedTail(70000 / (65535 + 4464), 4464, 65535, 4464, 0)},
      {"Columns 70000 stored as 11 70", 1, 70000, "1\n0\n0\n", ExpectedTail(1, 0x1170, 1, 0, 0)},
      {"65535 and 1 sum to 65536, not 0", 200000, 1, "65535\n1\n25\n", ExpectedTail(3, 1, 65535, 1, 25)},
      {"frame height 0 with a leading", 9, 1, "0\n3\n0\n", ExpectedTail(3, 1, 0, 3, 0)},
      {"hexadecimal and signed answers", 96, 3, "$20\n+0\nx20\n", ExpectedTail(3, 3, 32, 0, 32)},
      {"leading blanks and CR LF", 64, 2, "  0x20\r\n 0\r\n$FFFFFFFF\r\n", ExpectedTail(2, 2, 32, 0, 65535)},
      {"Rows 0", 0, 0, "1\n1\n1\n", ExpectedTail(0, 0, 1, 1, 1)},
  };
  for (const TGeometryCase& test : cases) {
    TMemoryConsoleDevice device(test.Answers);
    TConsole console(device);
    const TFilmstripTail tail = AskFrameGeometry(console, test.Rows, test.Columns);
    console.WritePending();
    EXPECT_EQ(TailBytes(tail), test.Tail) << test.Name;
    EXPECT_EQ(device.Output, Prompts) << test.Name;
  }
}

struct TFailureCase {
  const char* Name;
  std::string Answers;
  std::string PromptsShown;
  const char* ClassName;
  std::string Message;
};

TEST(AskFrameGeometry, FailsOnTheFirstBadAnswerAndOnAZeroFrameSlot) {
  const std::string first = "Enter cursor frame height: ";
  const std::string second = first + "Enter cursor leading frame height: ";
  const TFailureCase cases[] = {
      {"a word", "abc\n2\n12\n", first, "EConvertError", "'abc' is not a valid integer value"},
      {"a trailing blank", "32 \n2\n12\n", first, "EConvertError", "'32 ' is not a valid integer value"},
      {"leading blanks quoted as read", "  -$20\n", first, "EConvertError", "'  -$20' is not a valid integer value"},
      {"a tab", "\t5\n", first, "EConvertError", "'\t5' is not a valid integer value"},
      {"an empty line", "\n2\n12\n", first, "EConvertError", "'' is not a valid integer value"},
      {"no input at all", "", first, "EConvertError", "'' is not a valid integer value"},
      {"input ends after one answer", "30\n", second, "EConvertError", "'' is not a valid integer value"},
      {"a bad third answer", "30\r\n2\r\n2147483648\r\n", Prompts, "EConvertError",
       "'2147483648' is not a valid integer value"},
      {"0 and 0", "0\n0\n12\n", Prompts, "EDivByZero", "Division by zero"},
      {"65536 and 0", "65536\n0\n12\n", Prompts, "EDivByZero", "Division by zero"},
      {"a bad third answer before a zero slot", "-65536\n$10000\nnone\n", Prompts, "EConvertError",
       "'none' is not a valid integer value"},
  };
  for (const TFailureCase& test : cases) {
    TMemoryConsoleDevice device(test.Answers);
    TConsole console(device);
    try {
      AskFrameGeometry(console, 64, 32);
      ADD_FAILURE() << test.Name << ": no failure";
    } catch (const EFailure& failure) {
      EXPECT_STREQ(failure.ClassName, test.ClassName) << test.Name;
      EXPECT_EQ(failure.Message, test.Message) << test.Name;
    }
    console.WritePending();
    EXPECT_EQ(device.Output, test.PromptsShown) << test.Name;
  }
}

// Records what standard output had received when standard input was first read.
class TPromptWitness : public TMemoryConsoleDevice {
 public:
  using TMemoryConsoleDevice::TMemoryConsoleDevice;
  size_t ReadInput(char* bytes, size_t count) override {
    if (!Read) OutputBeforeRead = Output;
    Read = true;
    return TMemoryConsoleDevice::ReadInput(bytes, count);
  }
  bool Read = false;
  std::string OutputBeforeRead;
};

TEST(AskNumber, ShowsThePromptBeforeReadingOnAConsole) {
  TPromptWitness device("17\n", /*console=*/true);
  TConsole console(device);
  EXPECT_EQ(AskNumber(console, "Enter cursor frame height: "), 17);
  EXPECT_EQ(device.OutputBeforeRead, "Enter cursor frame height: ");
  EXPECT_EQ(device.Output, "Enter cursor frame height: ");
}

}  // namespace
}  // namespace varnholt
