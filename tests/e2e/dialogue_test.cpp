// The three questions from the outside: what a user or a script sees on standard output.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace varnholt::fixtures {
namespace {

const std::string FirstPrompt = "Enter cursor frame height: ";
const std::string SecondPrompt = "Enter cursor leading frame height: ";

// A 64 x 32 sheet, raw, in the scratch directory as "sheet.psd".
void WriteSheet(const TScratchDirectory& scratch) {
  TPsdFixture psd;
  psd.Rows = 64;
  psd.Columns = 32;
  for (uint8_t c = 0; c < 4; ++c) psd.Planes.push_back(FilledPlane(64, 32, static_cast<uint8_t>(0x10 * (c + 1))));
  WriteFileBytes((scratch.Path / "sheet.psd").string(), WritePsd(psd));
}

struct TDialogueFailure {
  const char* Name;
  std::string Input;
  std::string Output;  // after the banner
};

TEST(Dialogue, ABadOrMissingAnswerEndsTheRunWithoutTouchingTheOutput) {
  const TDialogueFailure cases[] = {
      {"a bad first answer shows no second prompt", "abc\n2\n12\n",
       FirstPrompt + FailureReport("EConvertError", "'abc' is not a valid integer value")},
      {"input that ends before the first answer", "",
       FirstPrompt + FailureReport("EConvertError", "'' is not a valid integer value")},
      {"input that ends after the first answer", "30\r\n",
       FirstPrompt + SecondPrompt + FailureReport("EConvertError", "'' is not a valid integer value")},
      {"an answer quoted with its blanks", "  30 \n",
       FirstPrompt + FailureReport("EConvertError", "'  30 ' is not a valid integer value")},
      {"a zero frame slot fails after the third answer", "65536\n0\n12\n",
       AllPrompts + FailureReport("EDivByZero", "Division by zero")},
  };
  for (const TDialogueFailure& test : cases) {
    TScratchDirectory scratch;
    WriteSheet(scratch);
    const Bytes before = {'o', 'l', 'd'};
    WriteFileBytes((scratch.Path / "sheet.flm").string(), before);
    const TProcessResult run = RunVarnholt({"sheet.psd"}, test.Input, scratch.Path);
    EXPECT_EQ(MaskFailureAddress(run.Output), Banner + test.Output) << test.Name;
    EXPECT_EQ(run.Errors, "") << test.Name;
    EXPECT_EQ(run.ExitStatus, 1) << test.Name;
    EXPECT_EQ(ReadFileBytes((scratch.Path / "sheet.flm").string()), before) << test.Name;
  }
}

TEST(Dialogue, CarriageReturnLineFeedAnswersConvertSilently) {
  TScratchDirectory scratch;
  WriteSheet(scratch);
  const TProcessResult run = RunVarnholt({"sheet.psd"}, "30\r\n2\r\n12\r\n", scratch.Path);
  EXPECT_EQ(run.Output, Banner + AllPrompts);
  EXPECT_EQ(run.Errors, "");
  EXPECT_EQ(run.ExitStatus, 0);
  const Bytes file = ReadFileBytes((scratch.Path / "sheet.flm").string());
  ASSERT_EQ(file.size(), 64u * 32 * 4 + 36);
  const Bytes tail(file.end() - 36, file.end());
  const Bytes expectedTail = {0x52, 0x61, 0x6E, 0x64, 0, 0, 0, 2, 0, 0, 0, 0, 0x00, 0x20, 0x00, 0x1E, 0x00, 0x02,
                              0x00, 0x0C, 0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0,    0,    0,    0,    0,    0};
  EXPECT_EQ(tail, expectedTail);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 8), (Bytes{0x10, 0x20, 0x30, 0x40, 0x10, 0x20, 0x30, 0x40}));
}

TEST(Dialogue, AStandardInputThatCannotBeReadIsAnInOutError) {
  TScratchDirectory scratch;
  WriteSheet(scratch);
  // The shell opens a directory as standard input; reading it fails with EISDIR, or under Wine
  // with ERROR_INVALID_FUNCTION.
  std::vector<std::string> command = {"/bin/sh", "-c", "exec \"$@\" sheet.psd < /", "sh"};
  for (const std::string& word : ProgramCommand()) command.push_back(word);
  const TProcessResult run = RunProcess(command, "", scratch.Path.string());
  const std::string message = ProgramRunsUnderWine() ? "I/O error 1" : "I/O error 21";
  EXPECT_EQ(MaskFailureAddress(run.Output), Banner + FirstPrompt + FailureReport("EInOutError", message));
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_FALSE(std::filesystem::exists(scratch.Path / "sheet.flm"));
}

}  // namespace
}  // namespace varnholt::fixtures
