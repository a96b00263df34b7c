// What only Varnholt.exe shows: command lines typed at cmd.exe, drive paths and short names. (The
// input held without sharing is tested with the other output files, on both hosts.)
// These run when the program under test is the Windows build under Wine, and skip otherwise.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "e2e_support.h"

namespace varnholt::fixtures {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  quoted += text;
  quoted += '"';
  return quoted;
}

// Runs batch-file lines with cmd.exe in the directory. Wine rebuilds a command line from the argv
// it is given, quoting and escaping as it sees fit; a batch file hands cmd.exe the text exactly as
// a user types it, and cmd.exe passes it on to the program unchanged.
TProcessResult RunBatch(const std::string& lines, const std::string& input, const std::filesystem::path& directory) {
  TScratchDirectory batchDirectory;  // apart from `directory`, whose content the tests check
  const std::filesystem::path batch = batchDirectory.Path / "run.bat";
  std::ofstream(batch, std::ios::binary) << lines;
  return RunProcess({ProgramCommand().front(), "cmd", "/c", WinePath(batch)}, input, directory.string());
}

// Runs the program with the text after its name on a typed command line.
TProcessResult RunTyped(const std::string& arguments, const std::string& input, const std::filesystem::path& directory) {
  std::string line = "@";  // not echoed
  line += Quoted(WinePath(ProgramCommand().back()));
  line += " " + arguments + "\r\n";
  return RunBatch(line, input, directory);
}

// The short alternative name that Wine gives the entry `name` of the directory, as "dir /x" lists
// it: the column in front of the long name.
std::string ShortName(const std::filesystem::path& directory, const std::string& name) {
  std::string command = "@dir /x ";
  command += Quoted(WinePath(directory));
  command += "\r\n";
  const TProcessResult listing = RunBatch(command, "", directory);
  std::istringstream lines(listing.Output);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string suffix = " " + name;
    if (line.size() <= suffix.size() || line.compare(line.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
    const std::string head = line.substr(0, line.size() - suffix.size());
    const size_t end = head.find_last_not_of(' ');
    const size_t start = head.find_last_of(' ', end);
    return head.substr(start + 1, end - start);
  }
  return "";
}

const Bytes OnePixelFilmstrip = {0x0A, 0x14, 0x1E, 0x28, 'R', 'a', 'n', 'd', 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1,
                                 0,    0,    0,    12,   0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

class WindowsProgram : public testing::Test {
 protected:
  void SetUp() override {
    if (!ProgramRunsUnderWine()) GTEST_SKIP() << "Windows only: run with VARNHOLT_LAUNCHER=wine";
  }
  TScratchDirectory Scratch;
};

TEST_F(WindowsProgram, TwoQuotesAreNoArgument) {
  const TProcessResult alone = RunTyped("\"\"", "", Scratch.Path);
  EXPECT_EQ(alone.Output, Banner + UsageText);
  EXPECT_EQ(alone.ExitStatus, 0);
  // Nor do they end the arguments, as an empty argument would on POSIX.
  const TProcessResult before = RunTyped("\"\" b.psd", "", Scratch.Path);
  EXPECT_EQ(MaskFailureAddress(before.Output), Banner + FailureReport("EFOpenError", "Cannot open file b.psd"));
  EXPECT_EQ(before.ExitStatus, 1);
}

TEST_F(WindowsProgram, OnlyTheLastArgumentIsOpened) {
  WriteFileBytes((Scratch.Path / "b.psd").string(), WritePsd(OnePixelPsd(0x0A, 0x14, 0x1E, 0x28)));
  const TProcessResult run = RunTyped("a.psd b.psd", "1\r\n0\r\n12\r\n", Scratch.Path);  // there is no a.psd
  EXPECT_EQ(run.Output, Banner + AllPrompts);
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(ReadFileBytes((Scratch.Path / "b.flm").string()), OnePixelFilmstrip);
}

TEST_F(WindowsProgram, QuotedPathWithABlankIsOneArgument) {
  std::filesystem::create_directory(Scratch.Path / "My Art");
  WriteFileBytes((Scratch.Path / "My Art" / "hero.psd").string(), WritePsd(OnePixelPsd(0x0A, 0x14, 0x1E, 0x28)));
  const TProcessResult run =
      RunTyped(Quoted(WinePath(Scratch.Path / "My Art" / "hero.psd")), "1\r\n0\r\n12\r\n", Scratch.Path);
  EXPECT_EQ(run.Output, Banner + AllPrompts);
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(ReadFileBytes((Scratch.Path / "My Art" / "hero.flm").string()), OnePixelFilmstrip);
}

TEST_F(WindowsProgram, MissingFileIsReportedAsTyped) {
  const std::string typed = WinePath(Scratch.Path / "No Art" / "hero.psd");
  const TProcessResult run = RunTyped(Quoted(typed), "", Scratch.Path);
  EXPECT_EQ(MaskFailureAddress(run.Output), Banner + FailureReport("EFOpenError", "Cannot open file " + typed));
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_TRUE(std::filesystem::is_empty(Scratch.Path));
}

TEST_F(WindowsProgram, ShortNamesGiveTheOutputTheStoredLongNames) {
  std::filesystem::create_directory(Scratch.Path / "Sprite Sheets");
  WriteFileBytes((Scratch.Path / "Sprite Sheets" / "hero walk.psd").string(), WritePsd(OnePixelPsd(0x0A, 0x14, 0x1E, 0x28)));
  const std::string directory = ShortName(Scratch.Path, "Sprite Sheets");
  const std::string file = ShortName(Scratch.Path / "Sprite Sheets", "hero walk.psd");
  ASSERT_NE(directory, "");
  ASSERT_NE(file, "");
  ASSERT_EQ(directory.find(' '), std::string::npos);

  const TProcessResult run = RunTyped(directory + "\\" + file, "1\r\n0\r\n12\r\n", Scratch.Path);
  EXPECT_EQ(run.Output, Banner + AllPrompts);
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(ReadFileBytes((Scratch.Path / "Sprite Sheets" / "hero walk.flm").string()), OnePixelFilmstrip);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Scratch.Path / "Sprite Sheets"), {}), 2);
}

}  // namespace
}  // namespace varnholt::fixtures
