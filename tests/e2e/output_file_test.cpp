// The Filmstrip file on disk: its exact bytes, and what happens to files that are in the way.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "e2e_support.h"

namespace varnholt::fixtures {
namespace {

namespace fs = std::filesystem;


// The 36-byte tail from its fields, big-endian, reserved fields zero.
Bytes Tail(uint32_t frameCount, uint16_t width, uint16_t frameHeight, uint16_t leading, uint16_t framesPerSecond) {
  Bytes tail = {'R', 'a', 'n', 'd'};
  AppendLong(tail, frameCount);
  AppendLong(tail, 0);
  for (uint16_t field : {width, frameHeight, leading, framesPerSecond}) AppendWord(tail, field);
  tail.insert(tail.end(), 16, 0);
  return tail;
}

Bytes Concat(Bytes pixels, const Bytes& tail) {
  pixels.insert(pixels.end(), tail.begin(), tail.end());
  return pixels;
}

// 2 rows of 3 columns; each sample names its channel (high nibble) and its place (low nibble).
TPsdFixture TwoByThree(uint16_t compression) {
  TPsdFixture psd;
  psd.Rows = 2;
  psd.Columns = 3;
  psd.Compression = compression;
  for (uint8_t c = 0; c < 4; ++c) {
    Bytes plane;
    for (uint8_t i = 1; i <= 6; ++i) plane.push_back(static_cast<uint8_t>(c << 4 | i));
    psd.Planes.push_back(plane);
  }
  return psd;
}

const Bytes TwoByThreePixels = {0x01, 0x11, 0x21, 0x31, 0x02, 0x12, 0x22, 0x32, 0x03, 0x13, 0x23, 0x33,   // row 0
                                0x04, 0x14, 0x24, 0x34, 0x05, 0x15, 0x25, 0x35, 0x06, 0x16, 0x26, 0x36};  // row 1

TPsdFixture SixChannels() {
  TPsdFixture psd;
  psd.Channels = 6;
  psd.Rows = 1;
  psd.Columns = 2;
  psd.Planes = {{0xA0, 0xA1}, {0xB0, 0xB1}, {0xC0, 0xC1}, {0xD0, 0xD1}, {0xE0, 0xE1}, {0xF0, 0xF1}};
  return psd;
}

TPsdFixture Empty(uint32_t rows, uint32_t columns) {
  TPsdFixture psd;
  psd.Rows = rows;
  psd.Columns = columns;
  return psd;
}

struct TOutputCase {
  const char* Name;
  TPsdFixture Psd;
  std::string Answers;
  Bytes File;
};

TEST(OutputFile, HoldsThePixelsTopRowFirstAndTheTail) {
  const TOutputCase cases[] = {
      {"2 x 3 raw, not flipped", TwoByThree(0), "1\n0\n5\n", Concat(TwoByThreePixels, Tail(2, 3, 1, 0, 5))},
      {"2 x 3 PackBits", TwoByThree(1), "2\n0\n5\n", Concat(TwoByThreePixels, Tail(1, 3, 2, 0, 5))},
      {"six channels give four", SixChannels(), "1\n0\n1\n",
       Concat({0xA0, 0xB0, 0xC0, 0xD0, 0xA1, 0xB1, 0xC1, 0xD1}, Tail(1, 2, 1, 0, 1))},
      {"Rows 0 gives the tail alone", Empty(0, 5), "1\n0\n1\n", Tail(0, 5, 1, 0, 1)},
      {"Columns 0 gives the tail alone", Empty(3, 0), "1\n0\n1\n", Tail(3, 0, 1, 0, 1)},
  };
  for (const TOutputCase& test : cases) {
    TScratchDirectory scratch;
    WriteFileBytes((scratch.Path / "art.psd").string(), WritePsd(test.Psd));
    const TProcessResult run = RunVarnholt({"art.psd"}, test.Answers, scratch.Path);
    // Silence after the third answer.
    EXPECT_EQ(run.Output, Banner + AllPrompts) << test.Name;
    EXPECT_EQ(run.Errors, "") << test.Name;
    EXPECT_EQ(run.ExitStatus, 0) << test.Name;
    EXPECT_EQ(ReadFileBytes((scratch.Path / "art.flm").string()), test.File) << test.Name;
  }
}

TEST(OutputFile, ALongerExistingFileIsReplacedToExactlyItsNewLength) {
  TScratchDirectory scratch;
  WriteFileBytes((scratch.Path / "art.psd").string(), WritePsd(TwoByThree(0)));
  WriteFileBytes((scratch.Path / "art.flm").string(), Bytes(10000, 0x5A));
  const TProcessResult run = RunVarnholt({"art.psd"}, "1\n0\n5\n", scratch.Path);
  EXPECT_EQ(run.Output, Banner + AllPrompts);
  EXPECT_EQ(run.ExitStatus, 0);
  EXPECT_EQ(ReadFileBytes((scratch.Path / "art.flm").string()), Concat(TwoByThreePixels, Tail(2, 3, 1, 0, 5)));
}

// A run whose save must fail: the report, exit status 1, and the input left byte for byte.
void ExpectSaveFailure(const TScratchDirectory& scratch, const std::string& input, const TProcessResult& run,
                       const std::string& report, const Bytes& inputBefore) {
  EXPECT_EQ(MaskFailureAddress(run.Output), Banner + AllPrompts + report);
  EXPECT_EQ(run.Errors, "");
  EXPECT_EQ(run.ExitStatus, 1);
  EXPECT_EQ(run.Signal, 0);
  EXPECT_EQ(ReadFileBytes((scratch.Path / input).string()), inputBefore);
}

std::string CannotCreate(const TScratchDirectory& scratch, const std::string& name) {
  return FailureReport("EFCreateError", "Cannot create file " + ProgramPath(scratch.Path / name));
}

TEST(OutputFile, AnInputNamedLikeItsOutputIsNeverOverwritten) {
  TScratchDirectory scratch;
  const Bytes psd = WritePsd(TwoByThree(1));
  WriteFileBytes((scratch.Path / "x.flm").string(), psd);
  const TProcessResult run = RunVarnholt({"x.flm"}, "1\n0\n5\n", scratch.Path);
  ExpectSaveFailure(scratch, "x.flm", run, CannotCreate(scratch, "x.flm"), psd);
}

TEST(OutputFile, AnOutputLinkedToTheInputIsNeverOverwritten) {
  const std::vector<std::pair<const char*, void (*)(const fs::path&, const fs::path&)>> links = {
      {"symbolic", [](const fs::path& target, const fs::path& link) { fs::create_symlink(target.filename(), link); }},
      {"hard", [](const fs::path& target, const fs::path& link) { fs::create_hard_link(target, link); }},
  };
  for (const auto& [kind, makeLink] : links) {
    TScratchDirectory scratch;
    const Bytes psd = WritePsd(TwoByThree(0));
    WriteFileBytes((scratch.Path / "art.psd").string(), psd);
    makeLink(scratch.Path / "art.psd", scratch.Path / "art.flm");
    const TProcessResult run = RunVarnholt({"art.psd"}, "1\n0\n5\n", scratch.Path);
    SCOPED_TRACE(kind);
    ExpectSaveFailure(scratch, "art.psd", run, CannotCreate(scratch, "art.flm"), psd);
  }
}

TEST(OutputFile, AReadOnlyOutputIsLeftAsItWasEvenForRoot) {
  TScratchDirectory scratch;
  const Bytes psd = WritePsd(TwoByThree(0));
  WriteFileBytes((scratch.Path / "art.psd").string(), psd);
  const Bytes old = {'k', 'e', 'e', 'p'};
  const std::string output = (scratch.Path / "art.flm").string();
  WriteFileBytes(output, old);
  ASSERT_EQ(chmod(output.c_str(), 0444), 0);
  const TProcessResult run = RunVarnholt({"art.psd"}, "1\n0\n5\n", scratch.Path);
  ExpectSaveFailure(scratch, "art.psd", run, CannotCreate(scratch, "art.flm"), psd);
  EXPECT_EQ(ReadFileBytes(output), old);
  struct stat status;
  ASSERT_EQ(stat(output.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0444u);
}

TEST(OutputFile, AnOutputHeldByAnotherRunIsInUse) {
  if (ProgramRunsUnderWine()) GTEST_SKIP() << "flock: POSIX host only";
  TScratchDirectory scratch;
  const Bytes psd = WritePsd(TwoByThree(0));
  WriteFileBytes((scratch.Path / "art.psd").string(), psd);
  const std::string output = (scratch.Path / "art.flm").string();
  const Bytes held = WritePsd(TwoByThree(1));
  WriteFileBytes(output, held);
  // This test holds the file the way a second Varnholt holds the document it converts.
  const int descriptor = open(output.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(descriptor, 0);
  ASSERT_EQ(flock(descriptor, LOCK_EX | LOCK_NB), 0);
  const TProcessResult run = RunVarnholt({"art.psd"}, "1\n0\n5\n", scratch.Path);
  close(descriptor);
  ExpectSaveFailure(scratch, "art.psd", run, CannotCreate(scratch, "art.flm"), psd);
  EXPECT_EQ(ReadFileBytes(output), held);
}

TEST(OutputFile, ADirectoryOfTheOutputNameCannotBeCreated) {
  TScratchDirectory scratch;
  const Bytes psd = WritePsd(TwoByThree(0));
  fs::create_directory(scratch.Path / "art.flm");
  WriteFileBytes((scratch.Path / "art.psd").string(), psd);
  const TProcessResult run = RunVarnholt({"art.psd"}, "1\n0\n5\n", scratch.Path);
  ExpectSaveFailure(scratch, "art.psd", run, CannotCreate(scratch, "art.flm"), psd);
  EXPECT_TRUE(fs::is_directory(scratch.Path / "art.flm"));
}

TEST(OutputFile, AFullDiskIsAWriteError) {
  TScratchDirectory scratch;
  const Bytes psd = WritePsd(TwoByThree(0));
  WriteFileBytes((scratch.Path / "art.psd").string(), psd);
  fs::create_symlink("/dev/full", scratch.Path / "art.flm");
  ExpectSaveFailure(scratch, "art.psd", RunVarnholt({"art.psd"}, "1\n0\n5\n", scratch.Path),
                    FailureReport("EWriteError", "Stream write error"), psd);
}

TEST(OutputFile, AFileSizeLimitIsAWriteErrorNotASignal) {
  if (ProgramRunsUnderWine()) GTEST_SKIP() << "file size limits and SIGXFSZ: POSIX host only";
  TScratchDirectory scratch;
  const Bytes psd = WritePsd(TwoByThree(0));
  WriteFileBytes((scratch.Path / "art.psd").string(), psd);
  const std::string writeError = FailureReport("EWriteError", "Stream write error");

  // A file size limit of 30 bytes: the file keeps what it took and the run is not killed by SIGXFSZ.
  std::vector<std::string> command = ProgramCommand();
  command.push_back("art.psd");
  const TProcessResult limited = RunProcess(command, "1\n0\n5\n", scratch.Path.string(), 0, 30);
  ExpectSaveFailure(scratch, "art.psd", limited, writeError, psd);
  const Bytes whole = Concat(TwoByThreePixels, Tail(2, 3, 1, 0, 5));
  EXPECT_EQ(ReadFileBytes((scratch.Path / "art.flm").string()), Bytes(whole.begin(), whole.begin() + 30));
}

}  // namespace
}  // namespace varnholt::fixtures
