// The PSD header, its three tests, the skipped sections, the compression code and the row
// byte-count table, read by ConvertPsd over in-memory streams.
#include <gtest/gtest.h>

#include "driver/convert_psd.h"
#include "psd/psd_header.h"
#include "support/memory_platform.h"

namespace varnholt {
namespace {

using fixtures::Bytes;
using fixtures::TMemoryConsoleDevice;
using fixtures::TMemoryFileSystem;
using fixtures::TPsdFixture;
using fixtures::WritePsd;

// What a conversion of the bytes did: its console text, how far it read, whether it asked a
// question or saved a file, and the failure that ended it.
struct TConversion {
  std::string Output;
  int64_t Position = 0;
  bool Asked = false;
  std::vector<std::string> Saves;
  std::string Failure;  // "<class>: <message>", or empty
};

TConversion Convert(Bytes file) {
  TMemoryConsoleDevice device("1\n0\n1\n");
  TConsole console(device);
  TMemoryFileSystem fileSystem;
  TBytesStream input(std::move(file));
  TConversion result;
  try {
    ConvertPsd(input, "/work/out.flm", console, fileSystem);
  } catch (const EFailure& failure) {
    result.Failure = std::string(failure.ClassName) + ": " + failure.Message;
  }
  console.WritePending();
  result.Output = device.Output;
  result.Position = input.Position();
  result.Asked = device.InputRead > 0;
  result.Saves = fileSystem.Saves;
  return result;
}

Bytes Document(void (*change)(TPsdFixture&)) {
  TPsdFixture psd;
  change(psd);
  return WritePsd(psd);
}

// Each refusal is one line, after which nothing more is read, nothing asked and nothing saved.
TEST(PsdHeader, RefusesUnsuitableDocumentsWithTheFirstFailedTest) {
  const std::string invalid = "Error: Invalid PSD file!\r\n";
  const std::string mode = "Error: PSD must be in 8bit/channel RGB mode\r\n";
  const std::string alpha = "Error: PSD does not have an alpha cannel\r\n";
  const std::pair<void (*)(TPsdFixture&), std::string> cases[] = {
      {[](TPsdFixture& p) { p.Signature = "8bps"; }, invalid},
      {[](TPsdFixture& p) { p.Signature = "8BPT"; }, invalid},
      {[](TPsdFixture& p) { p.Signature = "8bps", p.Mode = 4, p.Depth = 16, p.Channels = 3; }, invalid},
      {[](TPsdFixture& p) { p.Depth = 16; }, mode},
      {[](TPsdFixture& p) { p.Mode = 4; }, mode},
      {[](TPsdFixture& p) { p.Mode = 4, p.Depth = 16, p.Channels = 3; }, mode},
      {[](TPsdFixture& p) { p.Depth = 8 + 256; }, mode},
      {[](TPsdFixture& p) { p.Channels = 3; }, alpha},
      {[](TPsdFixture& p) { p.Channels = 0; }, alpha},
  };
  for (const auto& [change, line] : cases) {
    const TConversion run = Convert(Document(change));
    EXPECT_EQ(run.Output, line);
    EXPECT_EQ(run.Position, 26);
    EXPECT_FALSE(run.Asked);
    EXPECT_EQ(run.Saves, std::vector<std::string>{});
    EXPECT_EQ(run.Failure, "");
  }
}

TEST(PsdHeader, ConvertsTheNumericFieldsAndIgnoresVersionAndReserved) {
  TPsdFixture psd;
  psd.Version = 0xFFFF;
  psd.Channels = 65535;
  psd.Rows = 0x01020304;
  psd.Columns = 0x00000506;
  Bytes file = WritePsd(psd);
  std::fill(file.begin() + 6, file.begin() + 12, 0xFF);  // Reserved
  TBytesStream input(file);
  TPsdHeader header;
  ASSERT_TRUE(ReadPsdHeader(input, header));
  // Copied out of the packed record, which gtest would bind by reference.
  EXPECT_EQ(int{header.Channels}, 65535);
  EXPECT_EQ(uint32_t{header.Rows}, 0x01020304u);
  EXPECT_EQ(uint32_t{header.Columns}, 0x00000506u);
  EXPECT_EQ(int{header.Depth}, 8);
  EXPECT_EQ(int{header.Mode}, 3);
  EXPECT_EQ(TestPsdHeader(header), nullptr);
  header.Channels = 4;
  EXPECT_EQ(TestPsdHeader(header), nullptr);
}

// A file that ends inside the header, a section length or the compression code is no PSD.
TEST(PsdHeader, RefusesAFileThatEndsBeforeTheChannelData) {
  TPsdFixture psd;
  psd.ImageResources = Bytes(5, 0xAA);
  const Bytes whole = WritePsd(psd);  // header 26, lengths at 26, 30 and 39, code at 43
  for (const size_t length : {size_t{0}, size_t{25}, size_t{29}, size_t{38}, size_t{42}, size_t{44}}) {
    const TConversion run = Convert(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
    EXPECT_EQ(run.Output, "Error: Invalid PSD file!\r\n") << length;
    EXPECT_FALSE(run.Asked) << length;
    EXPECT_EQ(run.Failure, "") << length;
  }
}

// The sizes are checked right after the three tests, before any section is skipped.
TEST(PsdHeader, HeadersBeyondThirtyTwoBitsFailWithARangeError) {
  const std::tuple<uint16_t, uint32_t, uint32_t> beyond[] = {
      {4, 0x80000000u, 0},           {4, 0, 0x80000000u}, {4, 0x7FFFFFFFu, 0x7FFFFFFFu},
      {4, 0xFFFFFFFFu, 0xFFFFFFFFu}, {4, 1, 536870903},   {4, 2, 268435452},
      {65535, 16385, 0},
  };
  for (const auto& [channels, rows, columns] : beyond) {
    TPsdFixture psd;
    psd.Channels = channels;
    psd.Rows = rows;
    psd.Columns = columns;
    const TConversion run = Convert(WritePsd(psd));
    EXPECT_EQ(run.Failure, "ERangeError: Range check error") << rows << " x " << columns;
    EXPECT_EQ(run.Output, "");
    EXPECT_EQ(run.Position, 26);
    EXPECT_FALSE(run.Asked);
  }
  // The largest headers that still fit.
  const std::tuple<uint16_t, uint32_t, uint32_t> within[] = {
      {4, 1, 536870902}, {4, 2, 268435451}, {4, 268435455, 1}, {65535, 16384, 0}, {4, 0, 0x7FFFFFFFu}};
  for (const auto& [channels, rows, columns] : within) {
    TPsdHeader header{};
    header.Channels = channels;
    header.Rows = rows;
    header.Columns = columns;
    EXPECT_NO_THROW(CheckPsdSizes(header)) << rows << " x " << columns;
  }
}

TEST(PsdHeader, RefusesCompressionOtherThanRawAndPackBitsRightAfterReadingIt) {
  for (const uint16_t code : {2, 3, 0xFFFF}) {
    TPsdFixture psd = fixtures::OnePixelPsd(1, 2, 3, 4);
    psd.Compression = code;
    const TConversion run = Convert(WritePsd(psd));
    EXPECT_EQ(run.Output, "Error: PSD image data must be raw or RLE compressed\r\n");
    EXPECT_EQ(run.Position, 40);
    EXPECT_FALSE(run.Asked);
    EXPECT_EQ(run.Saves, std::vector<std::string>{});
  }
}

// The compression code stands behind the three sections; its refusal shows where it was read.
TEST(PsdHeader, ReadsTheCompressionCodeBehindTheSkippedSections) {
  TPsdFixture psd;
  psd.ColourModeData = Bytes(10, 0);
  psd.ImageResources = Bytes(20, 0);
  psd.LayerAndMask = Bytes(30, 0);
  psd.Compression = 2;
  const TConversion run = Convert(WritePsd(psd));
  EXPECT_EQ(run.Output, "Error: PSD image data must be raw or RLE compressed\r\n");
  EXPECT_EQ(run.Position, 100);
}

TEST(SkipSection, MovesBySignedThirtyTwoBitLengths) {
  auto fileWith = [](std::initializer_list<uint32_t> lengths, size_t size) {
    Bytes file(26, 0);
    for (uint32_t length : lengths) fixtures::AppendLong(file, length);
    file.resize(size, 0);
    return file;
  };
  {
    TBytesStream input(fileWith({0, 0, 0}, 40));
    input.SeekFromCurrent(26);
    for (int section = 0; section < 3; ++section) EXPECT_TRUE(SkipSection(input));
    EXPECT_EQ(input.Position(), 38);
  }
  {
    // Lengths 2^32 - 16 and 2^31 move backwards; a move before the start leaves the position.
    TBytesStream input(fileWith({0xFFFFFFF0u, 0x80000000u}, 40));
    input.SeekFromCurrent(26);
    EXPECT_TRUE(SkipSection(input));
    EXPECT_EQ(input.Position(), 14);
    input.SeekFromCurrent(16);
    EXPECT_TRUE(SkipSection(input));
    EXPECT_EQ(input.Position(), 34);
  }
  {
    TBytesStream input(fileWith({}, 29));
    input.SeekFromCurrent(26);
    EXPECT_FALSE(SkipSection(input));
  }
}

TEST(RowByteCounts, AreReadChannelMajorWithZerosWhereTheFileEnds) {
  TPsdHeader header{};
  header.Channels = 4;
  header.Rows = 2;
  const Bytes table = {0, 5, 0, 6, 1, 7, 0, 8, 0, 9, 0, 10, 0xFF, 0xFF, 0, 0, 0xEE};
  {
    TBytesStream input(table);
    TWordArray counts;
    ReadRowByteCounts(input, header, counts);
    ASSERT_EQ(counts.Length(), 8);
    EXPECT_EQ(std::vector<uint16_t>(counts.Data(), counts.Data() + 8),
              (std::vector<uint16_t>{5, 6, 0x107, 8, 9, 10, 0xFFFF, 0}));
    EXPECT_EQ(input.Position(), 16);
  }
  {
    TBytesStream input(Bytes(table.begin(), table.begin() + 7));
    TWordArray counts;
    ReadRowByteCounts(input, header, counts);
    ASSERT_EQ(counts.Length(), 8);
    EXPECT_EQ(std::vector<uint16_t>(counts.Data(), counts.Data() + 8),
              (std::vector<uint16_t>{5, 6, 0x107, 0, 0, 0, 0, 0}));
  }
  {
    header.Rows = 0;
    TBytesStream input(table);
    TWordArray counts;
    ReadRowByteCounts(input, header, counts);
    EXPECT_EQ(counts.Length(), 0);
    EXPECT_EQ(input.Position(), 0);
  }
}

// With all three sections empty the table follows the code at offset 40.
TEST(RowByteCounts, StandAtFortyBehindEmptySections) {
  TPsdFixture psd;
  psd.Compression = 1;
  psd.Rows = 1;
  psd.Columns = 2;
  psd.Planes = {{1, 2}, {3, 4}, {5, 6}, {7, 8}};
  const Bytes file = WritePsd(psd);
  ASSERT_EQ(Bytes(file.begin() + 38, file.begin() + 42), (Bytes{0, 1, 0, 3}));
  TBytesStream input(file);
  TPsdHeader header;
  ASSERT_TRUE(ReadPsdHeader(input, header));
  for (int section = 0; section < 3; ++section) ASSERT_TRUE(SkipSection(input));
  uint16_t code = 0;
  ASSERT_TRUE(ReadCompressionCode(input, code));
  EXPECT_EQ(code, PackBitsData);
  TWordArray counts;
  ReadRowByteCounts(input, header, counts);
  EXPECT_EQ(std::vector<uint16_t>(counts.Data(), counts.Data() + 4), (std::vector<uint16_t>{3, 3, 3, 3}));
  EXPECT_EQ(input.Position(), 48);
}

}  // namespace
}  // namespace varnholt
