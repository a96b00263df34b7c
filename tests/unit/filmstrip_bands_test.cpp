// The Filmstrip side of the band engine: the interleave of four strips into pixels, writes of
// whole bands in large pieces with the tail behind the last pixel, and a disk that fills up
// while the next pieces are being assembled.
#include <gtest/gtest.h>

#include <vector>

#include "driver/convert_psd.h"
#include "filmstrip/filmstrip_bands.h"
#include "support/memory_platform.h"

namespace varnholt {
namespace {

using fixtures::Bytes;

TEST(InterleaveBand, PutsEachChannelInItsByteAndWritesNothingBeyond) {
  // Counts around the widths that vector code takes at once, so the scalar remainder is covered too.
  for (const size_t count : {size_t{0}, size_t{1}, size_t{15}, size_t{16}, size_t{33}, size_t{257}}) {
    SCOPED_TRACE(count);
    std::vector<Bytes> strips(4, Bytes(count));
    for (size_t c = 0; c < 4; ++c)
      for (size_t i = 0; i < count; ++i) strips[c][i] = static_cast<uint8_t>(i * 13 + c * 64);
    Bytes pixels(4 * count + 8, 0xA5);  // guard bytes behind the band
    const uint8_t* const bands[4] = {strips[0].data(), strips[1].data(), strips[2].data(), strips[3].data()};
    InterleaveBand(bands, count, pixels.data());
    Bytes expected(4 * count + 8, 0xA5);
    for (size_t i = 0; i < count; ++i)
      for (size_t c = 0; c < 4; ++c) expected[4 * i + c] = strips[c][i];
    EXPECT_EQ(pixels, expected);
  }
}

struct TWrittenFile {
  Bytes File;
  std::vector<size_t> WriteSizes;
  std::string Failure;
  bool LeftOpen = false;
};

// A raw document of `rows` x `columns` pixels whose samples are their pixel's index (mod 256) plus
// the channel, converted in pieces of the given sizes on a disk with `diskRoom` bytes.
TWrittenFile ConvertStrip(uint32_t rows, uint32_t columns, const TBandSizes& sizes, size_t diskRoom = SIZE_MAX) {
  fixtures::TPsdFixture psd;
  psd.Rows = rows;
  psd.Columns = columns;
  for (size_t c = 0; c < 4; ++c) {
    psd.Planes.emplace_back(size_t{rows} * columns);
    for (size_t i = 0; i < psd.Planes[c].size(); ++i) psd.Planes[c][i] = static_cast<uint8_t>(i + c);
  }
  fixtures::TMemoryConsoleDevice device("2\n1\n12\n");
  TConsole console(device);
  fixtures::TMemoryFileSystem fileSystem;
  fileSystem.DiskRoom = diskRoom;
  TBytesStream input(fixtures::WritePsd(psd));
  TWrittenFile result;
  try {
    ConvertPsd(input, "/work/strip.flm", console, fileSystem, sizes);
  } catch (const EFailure& failure) {
    result.Failure = std::string(failure.ClassName) + ": " + failure.Message;
  }
  result.File = fileSystem.Files["/work/strip.flm"];
  result.WriteSizes = fileSystem.WriteSizes;
  result.LeftOpen = fileSystem.OutputOpen;
  return result;
}

// The file of ConvertStrip with the answers 2, 1 and 12.
Bytes StripFile(uint32_t rows, uint32_t columns) {
  Bytes file;
  for (size_t p = 0; p < size_t{rows} * columns; ++p)
    for (size_t c = 0; c < 4; ++c) file.push_back(static_cast<uint8_t>(p + c));
  file.insert(file.end(), {'R', 'a', 'n', 'd'});
  fixtures::AppendLong(file, rows / 3);
  fixtures::AppendLong(file, 0);
  for (const uint32_t field : {columns, 2u, 1u, 12u}) fixtures::AppendWord(file, static_cast<uint16_t>(field));
  file.insert(file.end(), 16, 0);
  return file;
}

TEST(FilmstripPieces, AreWholeBandsOfAtLeastTheWriteSizeWithTheTailBehindTheLast) {
  // 14 pixels in bands of 3 (12 bytes), writes of at least 20 bytes: two bands at a time.
  const TWrittenFile written = ConvertStrip(2, 7, {3, 1, 20});
  EXPECT_EQ(written.Failure, "");
  EXPECT_EQ(written.File, StripFile(2, 7));
  EXPECT_EQ(written.WriteSizes, (std::vector<size_t>{24, 24, 8 + 36}));
  EXPECT_FALSE(written.LeftOpen);

  // The defaults: bands of 256 Ki pixels, a megabyte written at a time.
  const TWrittenFile large = ConvertStrip(3, 174763, TBandSizes{});  // 524289 pixels
  EXPECT_EQ(large.Failure, "");
  EXPECT_TRUE(large.File == StripFile(3, 174763));
  EXPECT_EQ(large.WriteSizes, (std::vector<size_t>{1 << 20, 1 << 20, 4 + 36}));

  // A file that fits one piece is written with one write.
  EXPECT_EQ(ConvertStrip(1, 1, TBandSizes{}).WriteSizes, std::vector<size_t>{4 + 36});
}

TEST(FilmstripPieces, AFullDiskClosesTheFileWithTheBytesItTookAndEndsTheConversion) {
  // Room for 30 bytes: the first write of 24 fits, the second is cut to 6, and no more is written.
  for (const TBandSizes& sizes : {TBandSizes{3, 1, 20}, TBandSizes{3, 2, 24}}) {
    const TWrittenFile written = ConvertStrip(6, 7, sizes, 30);
    EXPECT_EQ(written.Failure, "EWriteError: Stream write error");
    const Bytes whole = StripFile(6, 7);
    EXPECT_EQ(written.File, Bytes(whole.begin(), whole.begin() + 30));
    EXPECT_EQ(written.WriteSizes, (std::vector<size_t>{24, 24}));
    EXPECT_FALSE(written.LeftOpen);
  }
}

}  // namespace
}  // namespace varnholt
