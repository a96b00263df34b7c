// The Filmstrip side of the band engine: the interleave of four strips into pixels, writes of
// whole bands in large pieces with the tail behind the last pixel, and a disk that fills up.
#include <gtest/gtest.h>

#include <vector>

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

// Writes `bands` bands of `bandSamples` pixels whose samples are their pixel's index (mod 256)
// plus the channel, then the tail, on a disk with `diskRoom` bytes.
TWrittenFile WriteStrip(const TBandSizes& sizes, size_t bands, size_t lastBand, size_t diskRoom = SIZE_MAX) {
  fixtures::TMemoryFileSystem fileSystem;
  fileSystem.DiskRoom = diskRoom;
  TWrittenFile result;
  try {
    TFilmstripWriter writer;
    StartFilmstrip(writer, sizes);
    CreateFilmstripFile(writer, fileSystem, "/work/strip.flm");
    size_t pixel = 0;
    for (size_t band = 0; band < bands; ++band) {
      const size_t count = band + 1 == bands ? lastBand : sizes.BandSamples;
      std::vector<Bytes> strips(4, Bytes(count));
      for (size_t c = 0; c < 4; ++c)
        for (size_t i = 0; i < count; ++i) strips[c][i] = static_cast<uint8_t>(pixel + i + c);
      const uint8_t* const samples[4] = {strips[0].data(), strips[1].data(), strips[2].data(), strips[3].data()};
      WriteFilmstripBand(writer, samples, count);
      pixel += count;
    }
    TFilmstripTail tail{};
    std::fill(reinterpret_cast<uint8_t*>(&tail), reinterpret_cast<uint8_t*>(&tail) + sizeof tail, uint8_t{0x7A});
    FinishFilmstrip(writer, tail);
  } catch (const EFailure& failure) {
    result.Failure = std::string(failure.ClassName) + ": " + failure.Message;
  }
  result.File = fileSystem.Files["/work/strip.flm"];
  result.WriteSizes = fileSystem.WriteSizes;
  result.LeftOpen = fileSystem.OutputOpen;
  return result;
}

Bytes StripBytes(size_t pixels) {
  Bytes file;
  for (size_t p = 0; p < pixels; ++p)
    for (size_t c = 0; c < 4; ++c) file.push_back(static_cast<uint8_t>(p + c));
  file.insert(file.end(), 36, 0x7A);
  return file;
}

TEST(FilmstripWriter, WritesWholeBandsInPiecesOfAtLeastTheWriteSizeThenTheTail) {
  // Bands of 3 pixels (12 bytes), writes of at least 20 bytes: two bands (24 bytes) at a time.
  const TWrittenFile written = WriteStrip({3, 1, 20}, 5, 2);
  EXPECT_EQ(written.Failure, "");
  EXPECT_EQ(written.File, StripBytes(4 * 3 + 2));
  EXPECT_EQ(written.WriteSizes, (std::vector<size_t>{24, 24, 8 + 36}));
  EXPECT_FALSE(written.LeftOpen);

  // The defaults: bands of 256 Ki pixels, 1 MiB written at a time.
  const TWrittenFile large = WriteStrip(TBandSizes{}, 3, 5);
  EXPECT_EQ(large.Failure, "");
  EXPECT_TRUE(large.File == StripBytes(2 * (size_t{1} << 18) + 5));
  EXPECT_EQ(large.WriteSizes, (std::vector<size_t>{1 << 20, 1 << 20, 20 + 36}));
}

TEST(FilmstripWriter, AFullDiskClosesTheFileWithTheBytesItTookAndFails) {
  // Room for 30 bytes: the first write of 24 fits, the second is cut to 6.
  const TWrittenFile written = WriteStrip({3, 1, 20}, 5, 2, 30);
  EXPECT_EQ(written.Failure, "EWriteError: Stream write error");
  const Bytes whole = StripBytes(14);
  EXPECT_EQ(written.File, Bytes(whole.begin(), whole.begin() + 30));
  EXPECT_EQ(written.WriteSizes, (std::vector<size_t>{24, 24}));
  EXPECT_FALSE(written.LeftOpen);
}

}  // namespace
}  // namespace varnholt
