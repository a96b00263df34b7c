// The PSD header, its three tests, the skipped sections, the compression code and the row
// byte-count table, read by ConvertPsd over in-memory streams.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "driver/convert_psd.h"
#include "psd/psd_header.h"
#include "common/byte_order.h"
#include "support/memory_platform.h"
#include "support/model_check.h"

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
  // Header 26, lengths at 26, 30 and 39, code at 43; in a large document the last length has 8
  // bytes and the code stands at 47.
  for (const uint16_t version : {1, 2}) {
    psd.Version = version;
    const Bytes whole = WritePsd(psd);
    const size_t end = version == 2 ? 48 : 44;
    for (const size_t length : {size_t{0}, size_t{25}, size_t{29}, size_t{38}, size_t{42}, end - 4, end}) {
      const TConversion run = Convert(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
      EXPECT_EQ(run.Output, "Error: Invalid PSD file!\r\n") << version << ", " << length;
      EXPECT_FALSE(run.Asked) << length;
      EXPECT_EQ(run.Failure, "") << length;
    }
  }
}

// The sizes are checked right after the three tests, before any section is skipped.
TEST(PsdHeader, HeadersBeyondThirtyTwoBitsFailWithARangeError) {
  // Version, Channels, Rows, Columns. The row byte-count table is 2 bytes a row and channel, 4 in
  // a large document.
  const std::tuple<uint16_t, uint16_t, uint32_t, uint32_t> beyond[] = {
      {1, 4, 0x80000000u, 0},           {1, 4, 0, 0x80000000u}, {1, 4, 0x7FFFFFFFu, 0x7FFFFFFFu},
      {1, 4, 0xFFFFFFFFu, 0xFFFFFFFFu}, {1, 4, 1, 536870903},   {1, 4, 2, 268435452},
      {1, 65535, 16385, 0},             {2, 65535, 8193, 0},    {2, 4, 1, 536870903},
      {2, 4, 0x7FFFFFFFu, 0},
  };
  for (const auto& [version, channels, rows, columns] : beyond) {
    TPsdFixture psd;
    psd.Version = version;
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
  const std::tuple<uint16_t, uint16_t, uint32_t, uint32_t> within[] = {
      {1, 4, 1, 536870902}, {1, 4, 2, 268435451}, {1, 4, 268435455, 1}, {1, 65535, 16384, 0},
      {1, 4, 0, 0x7FFFFFFFu}, {1, 65535, 8193, 0}, {2, 65535, 8192, 0},  {2, 4, 134217727, 0},
      {2, 4, 1, 536870902}};
  for (const auto& [version, channels, rows, columns] : within) {
    TPsdHeader header{};
    header.Version = SwapWord(version);
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

TEST(SkipLargeSection, MovesBySignedSixtyFourBitLengths) {
  auto fileWith = [](uint64_t length) {
    Bytes file(34, 0);
    fixtures::AppendLong(file, static_cast<uint32_t>(length >> 32));
    fixtures::AppendLong(file, static_cast<uint32_t>(length));
    return file;
  };
  const std::pair<uint64_t, int64_t> moves[] = {
      {0, 42},
      {0x100000000u, 42 + 0x100000000},           // past the end, beyond 32 bits
      {0x7FFFFFFFFFFFFFFFu, INT64_MAX},           // as far past the end as a position goes
      {0xFFFFFFFFFFFFFFF0u, 26},                  // 2^64 - 16: sixteen bytes back
      {0x8000000000000000u, 42},                  // 2^63 back: before the start, so no move
      {uint64_t{0} - 42, 0},                      // back to the start exactly
  };
  for (const auto& [length, position] : moves) {
    TBytesStream input(fileWith(length));
    input.SetPosition(34);
    EXPECT_TRUE(SkipLargeSection(input));
    EXPECT_EQ(input.Position(), position) << std::hex << length;
  }
  Bytes cut = fileWith(0);
  cut.pop_back();
  TBytesStream input(cut);
  input.SetPosition(34);
  EXPECT_FALSE(SkipLargeSection(input));
}

// Both layouts from the header to the first pixel: one pixel, raw or PackBits, whose channel
// data shows where the reader found it. Version 2 reads the large layout, any other the PSD one.
TEST(PsdLayout, VersionTwoReadsTheLargeLayoutAndEveryOtherVersionThePsdLayout) {
  const std::string invalid = "Error: Invalid PSD file!\r\n";
  const std::string notRawOrRle = "Error: PSD image data must be raw or RLE compressed\r\n";
  const Bytes pixel = {0x0A, 0x14, 0x1E, 0x28};
  struct TCase {
    const char* Shows;
    uint16_t Version;
    uint16_t Compression;
    Bytes Layer;
    // Patched over the layer section's length: 8 bytes for version 2, 4 for any other.
    std::optional<uint64_t> LayerLength;
    std::string Output;  // the console: prompts, or a refusal
    Bytes Pixel;         // the pixel written, when one is
  };
  const std::string prompts = fixtures::DialoguePrompts;
  const TCase cases[] = {
      {"PSB, empty layer section", 2, 0, {}, {}, prompts, pixel},
      {"PSB, a layer section of 9 bytes", 2, 0, Bytes(9, 0xC3), {}, prompts, pixel},
      {"PSB, PackBits with 4-byte row counts", 2, 1, Bytes(5, 0xC4), {}, prompts, pixel},
      {"PSB, a length past the end: no compression code", 2, 0, {}, 0x100000000u, invalid, {}},
      {"PSB, the largest length: no compression code", 2, 0, {}, 0x7FFFFFFFFFFFFFFFu, invalid, {}},
      {"PSB, 2^63 back, before the start: the position stays", 2, 0, {}, 0x8000000000000000u, prompts, pixel},
      {"PSB, back into the header: Channels is read as the code", 2, 0, {}, uint64_t{0} - 30, notRawOrRle, {}},
      {"PSB, one byte back: the length's last byte is read as the code", 2, 0, {}, ~uint64_t{0}, notRawOrRle, {}},
      {"PSD, version 0", 0, 1, Bytes(3, 0xC5), {}, prompts, pixel},
      {"PSD, version 1", 1, 1, {}, {}, prompts, pixel},
      {"PSD, version 3", 3, 0, Bytes(2, 0xC6), {}, prompts, pixel},
      {"PSD, version 65535", 65535, 1, {}, {}, prompts, pixel},
      {"PSD, a length of 2^31 back: the position stays", 1, 0, {}, 0x80000000u, prompts, pixel},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Shows);
    TPsdFixture psd = fixtures::OnePixelPsd(0x0A, 0x14, 0x1E, 0x28);
    psd.Version = test.Version;
    psd.Compression = test.Compression;
    psd.LayerAndMask = test.Layer;
    Bytes file = WritePsd(psd);
    const size_t lengthBytes = test.Version == 2 ? 8 : 4;
    if (test.LayerLength)
      for (size_t i = 0; i < lengthBytes; ++i)
        file[34 + i] = static_cast<uint8_t>(*test.LayerLength >> (8 * (lengthBytes - 1 - i)));
    fixtures::TMemoryConsoleDevice device("1\n0\n1\n");
    TConsole console(device);
    TMemoryFileSystem fileSystem;
    TBytesStream input(file);
    ConvertPsd(input, "/work/out.flm", console, fileSystem);
    console.WritePending();
    EXPECT_EQ(device.Output, test.Output);
    if (test.Pixel.empty()) {
      EXPECT_TRUE(fileSystem.Files.empty());
    } else {
      const Bytes& written = fileSystem.Files["/work/out.flm"];
      ASSERT_EQ(written.size(), 40u);
      EXPECT_EQ(Bytes(written.begin(), written.begin() + 4), test.Pixel);
    }
  }
}

// The row counts of channels 0 to 3 are summed (2 or 4 bytes each); entries that the file no
// longer supplies count 0; the channel data begins behind the whole table.
TEST(RowByteCounts, AreSummedPerChannelWithZerosWhereTheFileEnds) {
  struct TCase {
    const char* Shows;
    uint16_t Version;
    uint16_t Channels;
    uint32_t Rows;
    Bytes Table;
    TCompressedLengths Lengths;
    int64_t ChannelData;
  };
  const Bytes words = {0, 5, 0, 6, 1, 7, 0, 8, 0, 9, 0, 10, 0xFF, 0xFF, 0, 0, 0xEE, 0xEE};
  const Bytes longs = {0, 0, 0, 5, 0, 1, 0, 6, 0, 0, 1, 7, 0, 0, 0, 8, 0, 0, 0, 9, 0, 0, 0, 10,
                       0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE};
  const TCase cases[] = {
      {"PSD, 4 channels of 2 rows", 1, 4, 2, words, {11, 0x107 + 8, 19, 0xFFFF}, 16},
      {"PSD, cut after 7 bytes", 1, 4, 2, Bytes(words.begin(), words.begin() + 7), {11, 0x107, 0, 0}, 16},
      {"PSD, a fifth channel is not summed", 1, 5, 1, words, {5, 6, 0x107, 8}, 10},
      {"PSD, no rows", 1, 4, 0, words, {0, 0, 0, 0}, 0},
      {"PSB, 4 channels of 2 rows", 2, 4, 2, longs, {0x10000 + 11, 0x107 + 8, 19, 0x7FFFFFFF}, 32},
      {"PSB, cut inside the fourth entry", 2, 4, 2, Bytes(longs.begin(), longs.begin() + 14), {0x10000 + 11, 0x107, 0, 0}, 32},
      {"PSB, a fifth channel is not summed", 2, 5, 1, longs, {5, 0x10006, 0x107, 8}, 20},
  };
  for (const TCase& test : cases) {
    SCOPED_TRACE(test.Shows);
    TPsdHeader header{};
    header.Version = SwapWord(test.Version);
    header.Channels = test.Channels;
    header.Rows = test.Rows;
    TBytesStream input(test.Table);
    EXPECT_EQ(SumCompressedLengths(input, header), test.Lengths);
    EXPECT_EQ(input.Position(), test.ChannelData);
  }
}

// A channel's compressed length above 2^31 - 1 fails before any question: PSD counts of 0xFFFF
// over 32769 rows, PSB counts of 4 bytes in one row or two.
TEST(RowByteCounts, ChannelsLongerThanThirtyTwoBitsFailBeforeAnyQuestion) {
  auto document = [](uint16_t version, uint32_t rows, const std::vector<uint32_t>& counts) {
    TPsdFixture psd;
    psd.Version = version;
    psd.Rows = rows;
    psd.Columns = 1;
    Bytes file = WritePsd(psd);
    file.back() = 0x01;  // PackBits; the table by hand, and no channel data
    for (uint32_t count : counts) {
      if (version == 2) {
        fixtures::AppendLong(file, count);
      } else {
        fixtures::AppendWord(file, static_cast<uint16_t>(count));
      }
    }
    return file;
  };
  const std::vector<uint32_t> psdRows(4 * 32769, 0xFFFF);
  std::vector<uint32_t> psdLimit = psdRows;
  for (int c = 0; c < 4; ++c) psdLimit[c * 32769 + 32768] = 32767;  // each channel exactly 2^31 - 1
  const std::tuple<const char*, Bytes, bool> cases[] = {
      {"PSD, 2^31 - 1 + 32768", document(1, 32769, psdRows), true},
      {"PSD, exactly 2^31 - 1", document(1, 32769, psdLimit), false},
      {"PSB, one row of 2^31 in channel 3", document(2, 1, {1, 2, 3, 0x80000000u}), true},
      {"PSB, two rows of 2^30 in channel 0", document(2, 2, {0x40000000u, 0x40000000u, 0, 0, 0, 0, 0, 0}), true},
      {"PSB, one row of 2^31 - 1 in each channel", document(2, 1, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF}), false},
  };
  for (const auto& [shows, file, fails] : cases) {
    SCOPED_TRACE(shows);
    const TConversion run = Convert(file);
    EXPECT_EQ(run.Failure, fails ? "ERangeError: Range check error" : "");
    EXPECT_EQ(run.Asked, !fails);
    EXPECT_EQ(run.Output, fails ? "" : fixtures::DialoguePrompts);
  }
}

}  // namespace
}  // namespace varnholt
