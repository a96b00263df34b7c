// A run from banner to exit status over the in-memory console and file system: the console's
// 128-byte buffer, when it is written out, and the failure report.
#include <gtest/gtest.h>

#include "driver/run_program.h"
#include "support/memory_platform.h"

namespace varnholt {
namespace {

using fixtures::TMemoryConsoleDevice;
using fixtures::TMemoryFileSystem;

const std::string Banner =
    "Varnholt 0.1\r\nPSD sprite sheets to Filmstrip cursor strips, by the Varnholt developers\r\n\r\n";
const std::string Usage = "  USAGE: \r\n    Varnholt <file.psd|file.psb>\r\n";

// A console whose one write, counted from 0, fails; the writes before and after it go through.
class TOneFailingWriteDevice : public TMemoryConsoleDevice {
 public:
  explicit TOneFailingWriteDevice(size_t failing) : Failing(failing) {}
  void WriteOutput(const char* bytes, size_t count) override {
    if (Calls++ == Failing) RaiseFailure("EInOutError", "I/O error 32");
    TMemoryConsoleDevice::WriteOutput(bytes, count);
  }

 private:
  size_t Failing;
  size_t Calls = 0;
};

// The report with its address cut out, which depends on the raise site.
std::string WithoutAddress(std::string output) {
  const size_t at = output.find(" at ");
  if (at != std::string::npos && output.size() >= at + 12) output.replace(at + 4, 8, "XXXXXXXX");
  return output;
}

// The report as it reaches the console.
std::string FormatFailureReport(const EFailure& failure, std::string_view moduleName) {
  TMemoryConsoleDevice device;
  TConsole console(device);
  WriteFailureReport(console, failure, moduleName);
  console.WritePending();
  return device.Output;
}

TEST(FailureReport, NamesClassModuleAddressAndMessageWithOneFinalDot) {
  EXPECT_EQ(FormatFailureReport(EFailure("EFOpenError", "Cannot open file a.psd", 0x00ABCDEF), "varnholt"),
            "Exception EFOpenError in module varnholt at 00ABCDEF.\r\nCannot open file a.psd.\r\n\r\n");
  EXPECT_EQ(FormatFailureReport(EFailure("EFOpenError", "Cannot open file a.", 0xFFFFFFFF), "Varnholt.exe"),
            "Exception EFOpenError in module Varnholt.exe at FFFFFFFF.\r\nCannot open file a.\r\n\r\n");
  EXPECT_EQ(FormatFailureReport(EFailure("EConvertError", "", 0), "varnholt"),
            "Exception EConvertError in module varnholt at 00000000.\r\n\r\n\r\n");
}

TEST(Console, BuffersOneHundredTwentyEightBytesAndFlushesOnlyOnAConsole) {
  TMemoryConsoleDevice pipe("", false);
  TConsole piped(pipe);
  piped.WriteLine(std::string(100, 'a'));
  piped.Write("b");
  piped.Flush();
  EXPECT_EQ(pipe.WriteSizes, std::vector<size_t>{});
  piped.WriteLine(std::string(200, 'c'));
  EXPECT_EQ(pipe.WriteSizes, (std::vector<size_t>{128, 128}));
  piped.WritePending();
  EXPECT_EQ(pipe.WriteSizes, (std::vector<size_t>{128, 128, 49}));
  EXPECT_EQ(pipe.Output, std::string(100, 'a') + "\r\nb" + std::string(200, 'c') + "\r\n");

  TMemoryConsoleDevice terminal("", true);
  TConsole console(terminal);
  console.WriteLine("abc");
  console.Write("Prompt: ");
  EXPECT_EQ(terminal.WriteSizes, std::vector<size_t>{5});
  console.Flush();
  EXPECT_EQ(terminal.WriteSizes, (std::vector<size_t>{5, 8}));
  EXPECT_EQ(terminal.Output, "abc\r\nPrompt: ");
}

TEST(RunProgram, WritesBannerAndUsageAtTheEndOfARunOnAPipe) {
  TMemoryConsoleDevice device;
  TConsole console(device);
  TMemoryFileSystem fileSystem;
  EXPECT_EQ(RunProgram({}, "varnholt", console, fileSystem), 0);
  EXPECT_EQ(device.Output, Banner + Usage);
  // On a pipe the five lines wait in the buffer: 128 bytes are written when it fills, the rest
  // at the end of the run.
  EXPECT_EQ(device.WriteSizes, (std::vector<size_t>{128, Banner.size() + Usage.size() - 128}));
}

TEST(RunProgram, OpensOnlyTheLastArgumentAndReleasesIt) {
  TMemoryConsoleDevice device;
  TConsole console(device);
  TMemoryFileSystem fileSystem;
  fileSystem.Files["/work/b.psd"] = {'8', 'B', 'P', 'S'};
  EXPECT_EQ(RunProgram({"/work/a.psd", "/work/b.psd"}, "varnholt", console, fileSystem), 0);
  EXPECT_EQ(device.Output, Banner + "Error: Invalid PSD file!\r\n");
  EXPECT_EQ(fileSystem.HeldInput, "");
}

// The banner waits in the buffer and is written before the report; nothing is looked up.
TEST(RunProgram, ReportsAnInputThatCannotBeOpened) {
  TMemoryConsoleDevice device;
  TConsole console(device);
  TMemoryFileSystem fileSystem(WindowsPathSyntax);
  EXPECT_EQ(RunProgram({"C:\\Art\\missing.psd"}, "Varnholt.exe", console, fileSystem), 1);
  EXPECT_EQ(WithoutAddress(device.Output),
            Banner + "Exception EFOpenError in module Varnholt.exe at XXXXXXXX.\r\n"
                     "Cannot open file C:\\Art\\missing.psd.\r\n\r\n");
  EXPECT_EQ(fileSystem.Lookups, std::vector<std::string>{});
  EXPECT_EQ(fileSystem.Saves, std::vector<std::string>{});
}

// A failed console write ends the run with EInOutError; the text it carried is lost, and the
// report follows as far as the console still takes it.
TEST(RunProgram, AFailedConsoleWriteEndsTheRunWithTheReport) {
  {
    TOneFailingWriteDevice device(0);
    TConsole console(device);
    TMemoryFileSystem fileSystem;
    EXPECT_EQ(RunProgram({}, "varnholt", console, fileSystem), 1);
    EXPECT_EQ(WithoutAddress(device.Output),
              "Exception EInOutError in module varnholt at XXXXXXXX.\r\nI/O error 32.\r\n\r\n");
  }
  {
    TMemoryConsoleDevice device("", true);
    device.FailWritesAfter = 1;
    TConsole console(device);
    TMemoryFileSystem fileSystem;
    EXPECT_EQ(RunProgram({}, "varnholt", console, fileSystem), 1);
    EXPECT_EQ(device.Output, "Varnholt 0.1\r\n");
  }
}

}  // namespace
}  // namespace varnholt
