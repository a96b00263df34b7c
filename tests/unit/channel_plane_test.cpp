// The channel plane: loads of raw and PackBits channels over in-memory streams, short files, empty
// planes, and the refusal of compressed channels too long for 32 bits.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "driver/convert_psd.h"
#include "psd/channel_plane.h"
#include "support/memory_platform.h"
#include "support/psd_writer.h"

namespace varnholt {
namespace {

using fixtures::Bytes;

// An in-memory stream that remembers the size of every read asked of it.
class TRecordingStream : public TBytesStream {
 public:
  using TBytesStream::TBytesStream;
  int32_t Read(void* destination, int32_t count) noexcept override {
    ReadSizes.push_back(count);
    return TBytesStream::Read(destination, count);
  }
  std::vector<int32_t> ReadSizes;
};

TPsdHeader Header(uint32_t rows, uint32_t columns, uint16_t channels = 4) {
  TPsdHeader header{};
  header.Channels = channels;
  header.Rows = rows;
  header.Columns = columns;
  header.Depth = 8;
  header.Mode = 3;
  return header;
}

TWordArray RowByteCounts(std::initializer_list<uint16_t> counts) {
  TWordArray table;
  table.SetLength(static_cast<int32_t>(counts.size()));
  uint16_t* entry = table.Data();
  for (uint16_t count : counts) *entry++ = count;
  return table;
}

Bytes Plane(const TByteArray& plane) { return Bytes(plane.Data(), plane.Data() + plane.Length()); }

TEST(ChannelPlane, RawChannelsAreReadWholeAndOnlyTheFirstFour) {
  const TPsdHeader header = Header(2, 3, 5);
  Bytes file;
  for (uint8_t c = 0; c < 5; ++c)
    for (uint8_t i = 0; i < 6; ++i) file.push_back(static_cast<uint8_t>(c * 0x10 + i));
  TRecordingStream input(file);
  TByteArray plane;
  CreateChannelPlane(header, plane);
  ASSERT_EQ(Plane(plane), Bytes(6, 0));
  const TWordArray noTable;
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c);
    LoadChannel(input, header, RawData, noTable, c, plane);
    const Bytes expected(file.begin() + c * 6, file.begin() + c * 6 + 6);
    EXPECT_EQ(Plane(plane), expected);  // row 0 in bytes 0 to 2, row 1 in bytes 3 to 5
  }
  EXPECT_EQ(input.ReadSizes, (std::vector<int32_t>{6, 6, 6, 6}));
  EXPECT_EQ(input.Position(), 24);
}

TEST(ChannelPlane, PackBitsRowsAreOneBlockDecodedAsOneStream) {
  struct TCase {
    const char* Shows;
    uint32_t Rows;
    uint32_t Columns;
    TWordArray Table;
  };
  TCase cases[] = {
      {"one row of six", 1, 6, RowByteCounts({6, 0, 0, 0})},
      {"two rows of three with the row counts 2 and 4", 2, 3,
       RowByteCounts({2, 4, 0, 0, 0, 0, 0, 0})},
  };
  for (TCase& row : cases) {
    SCOPED_TRACE(row.Shows);
    const TPsdHeader header = Header(row.Rows, row.Columns);
    TRecordingStream input({0xFE, 0x41, 0x02, 0x42, 0x43, 0x44, 0x99});
    TByteArray plane;
    CreateChannelPlane(header, plane);
    LoadChannel(input, header, PackBitsData, row.Table, 0, plane);
    EXPECT_EQ(Plane(plane), (Bytes{0x41, 0x41, 0x41, 0x42, 0x43, 0x44}));
    EXPECT_EQ(input.ReadSizes, std::vector<int32_t>{6});
    EXPECT_EQ(input.Position(), 6);
  }
}

TEST(ChannelPlane, ChannelThatDecodesShortKeepsThePreviousChannelsEnd) {
  // Two rows of three; channel 1 takes its counts from entries 2 and 3 of the table.
  const TPsdHeader header = Header(2, 3);
  const TWordArray table = RowByteCounts({4, 4, 2, 0, 0, 0, 0, 0});
  TRecordingStream input({0x02, 0x01, 0x02, 0x03, 0x02, 0x04, 0x05, 0x06, 0xFE, 0x09});
  TByteArray plane;
  CreateChannelPlane(header, plane);
  LoadChannel(input, header, PackBitsData, table, 0, plane);
  EXPECT_EQ(Plane(plane), (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06}));
  LoadChannel(input, header, PackBitsData, table, 1, plane);
  EXPECT_EQ(Plane(plane), (Bytes{0x09, 0x09, 0x09, 0x04, 0x05, 0x06}));
  EXPECT_EQ(input.ReadSizes, (std::vector<int32_t>{8, 2}));
  EXPECT_EQ(input.Position(), 10);
}

TEST(ChannelPlane, EmptyPlaneReadsNoRawBytesButStillConsumesCompressedBlocks) {
  const TWordArray noTable;
  for (const TPsdHeader& header : {Header(0, 5), Header(5, 0), Header(0, 0)}) {
    SCOPED_TRACE(testing::Message() << uint32_t{header.Rows} << " x " << uint32_t{header.Columns});
    TRecordingStream input({1, 2, 3});
    TByteArray plane;
    CreateChannelPlane(header, plane);
    EXPECT_EQ(plane.Length(), 0);
    for (int c = 0; c < 4; ++c) LoadChannel(input, header, RawData, noTable, c, plane);
    EXPECT_EQ(input.Position(), 0);
  }
  // Rows above 0 with Columns 0: each channel's block is still read, S bytes, and nothing decoded.
  const TPsdHeader header = Header(2, 0);
  const TWordArray table = RowByteCounts({1, 2, 2, 1, 0, 3, 2, 0});
  TRecordingStream input(Bytes(12, 0xFE));
  TByteArray plane;
  CreateChannelPlane(header, plane);
  for (int c = 0; c < 4; ++c) LoadChannel(input, header, PackBitsData, table, c, plane);
  EXPECT_EQ(input.ReadSizes, (std::vector<int32_t>{3, 3, 3, 2}));
  EXPECT_EQ(input.Position(), 11);
}

TEST(ChannelPlane, RawFileEndingInsideAChannelRepeatsThePreviousChannel) {
  const TPsdHeader header = Header(1, 4);
  TRecordingStream input({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  TByteArray plane;
  CreateChannelPlane(header, plane);
  const TWordArray noTable;
  const Bytes expected[] = {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 7, 8}, {9, 10, 7, 8}};
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c);
    LoadChannel(input, header, RawData, noTable, c, plane);
    EXPECT_EQ(Plane(plane), expected[c]);
  }
  EXPECT_EQ(input.ReadSizes, (std::vector<int32_t>{4, 4, 4, 4}));
}

TEST(ChannelPlane, CompressedFileEndingInsideABlockDecodesTheMissingBytesAsZeros) {
  const TPsdHeader header = Header(1, 4);
  const TWordArray table = RowByteCounts({5, 6, 2, 3});
  // Channel 1 has only 01 07 of its six bytes; its block is 01 07 00 00 00 00.
  TRecordingStream input({0x03, 0x01, 0x02, 0x03, 0x04, 0x01, 0x07});
  TByteArray plane;
  CreateChannelPlane(header, plane);
  const Bytes expected[] = {
      {0x01, 0x02, 0x03, 0x04},  // a literal of four
      {0x07, 0x00, 0x00, 0x04},  // literal 07 00, literal 00, a literal header with no data left
      {0x00, 0x00, 0x00, 0x04},  // 00 00: a literal of one zero
      {0x00, 0x00, 0x00, 0x04},  // 00 00 00: a literal of one zero, then a header with no data left
  };
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c);
    LoadChannel(input, header, PackBitsData, table, c, plane);
    EXPECT_EQ(Plane(plane), expected[c]);
  }
  EXPECT_EQ(input.ReadSizes, (std::vector<int32_t>{5, 6, 2, 3}));
}

TEST(ChannelPlane, CompressedLengthsAreSummedInSixtyFourBits) {
  // 32768 full rows of 65535 bytes, and a last row that brings the sum to exactly 2^31 - 1.
  constexpr uint32_t Rows = 32769;
  TWordArray table;
  table.SetLength(5 * Rows);
  for (int32_t i = 0; i < table.Length(); ++i) table.Data()[i] = 0xFFFF;
  for (int c = 0; c < 4; ++c) table.Data()[c * Rows + Rows - 1] = 32767;
  EXPECT_EQ(CompressedLength(table, Rows, 2), int64_t{INT32_MAX});
  CheckCompressedLengths(table, Rows);  // channel 4 is never loaded and does not count

  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c);
    table.Data()[c * Rows + Rows - 1] = 32768;
    try {
      CheckCompressedLengths(table, Rows);
      ADD_FAILURE() << "no failure raised";
    } catch (const EFailure& failure) {
      EXPECT_STREQ(failure.ClassName, "ERangeError");
      EXPECT_EQ(failure.Message, "Range check error");
    }
    table.Data()[c * Rows + Rows - 1] = 32767;
  }
}

TEST(ChannelPlane, TooLongCompressedChannelFailsBeforeAnyQuestion) {
  fixtures::TPsdFixture psd;
  psd.Rows = 32769;
  psd.Columns = 1;
  psd.Compression = 0;  // written by hand below: a table of 0xFFFF counts and no channel data
  Bytes file = fixtures::WritePsd(psd);
  file.back() = 0x01;
  file.insert(file.end(), size_t{4} * psd.Rows * 2, 0xFF);

  fixtures::TMemoryConsoleDevice device("1\n0\n1\n");
  TConsole console(device);
  fixtures::TMemoryFileSystem fileSystem;
  TBytesStream input(file);
  try {
    ConvertPsd(input, "/work/sheet.flm", console, fileSystem);
    ADD_FAILURE() << "no failure raised";
  } catch (const EFailure& failure) {
    EXPECT_STREQ(failure.ClassName, "ERangeError");
    EXPECT_EQ(failure.Message, "Range check error");
  }
  console.WritePending();
  EXPECT_EQ(device.Output, "");
  EXPECT_EQ(device.InputRead, 0u);
  EXPECT_TRUE(fileSystem.Files.empty());
  EXPECT_EQ(input.Position(), static_cast<int64_t>(file.size()));
}

}  // namespace
}  // namespace varnholt
