// The program from the outside: banner, usage, the input argument, refusals and failure reports.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace varnholt::fixtures {
namespace {

TEST(RunSequence, NoArgumentWritesBannerAndUsage) {
  TScratchDirectory scratch;
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, std::vector<std::string>{""}}) {
    const TProcessResult run = RunVarnholt(arguments, "", scratch.Path);
    EXPECT_EQ(run.Output, Banner + UsageText);
    EXPECT_EQ(run.Errors, "");
    EXPECT_EQ(run.ExitStatus, 0);
  }
}

TEST(RunSequence, MissingInputGivesTheOpenFailureReport) {
  TScratchDirectory scratch;
  const TProcessResult run = RunVarnholt({"no such.psd"}, "", scratch.Path);
  // The address names the place of the failure: the same in every run.
  EXPECT_EQ(RunVarnholt({"no such.psd"}, "", scratch.Path).Output, run.Output);
  const std::string head = Banner + "Exception EFOpenError in module " + ProgramModuleName() + " at ";
  ASSERT_EQ(run.Output.substr(0, head.size()), head);
  const std::string address = run.Output.substr(head.size(), 8);
  EXPECT_EQ(address.find_first_not_of("0123456789ABCDEF"), std::string::npos) << address;
  EXPECT_EQ(run.Output.substr(head.size() + 8), ".\r\nCannot open file no such.psd.\r\n\r\n");
  EXPECT_EQ(run.Errors, "");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_TRUE(std::filesystem::is_empty(scratch.Path));
}

TEST(RunSequence, ConvertsOnePixel) {
  TScratchDirectory scratch;
  WriteFileBytes((scratch.Path / "dot.psd").string(), WritePsd(OnePixelPsd(0x0A, 0x14, 0x1E, 0x28)));
  const TProcessResult run = RunVarnholt({"dot.psd"}, "1\n0\n12\n", scratch.Path);
  EXPECT_EQ(run.Output, Banner + AllPrompts);
  EXPECT_EQ(run.ExitStatus, 0);
  const Bytes expected = {0x0A, 0x14, 0x1E, 0x28, 'R', 'a', 'n', 'd', 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 12,
                          0,    0,    0,    0,    0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ReadFileBytes((scratch.Path / "dot.flm").string()), expected);
}

}  // namespace
}  // namespace varnholt::fixtures
