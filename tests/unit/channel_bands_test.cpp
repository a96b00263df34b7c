// The channels handed out band by band: raw channels from their own places, PackBits blocks
// through a decoder that carries on across bands and pieces of source, the previous channel's
// samples where a channel has none, and the whole engine held against the model of the
// conversion at band and read sizes that cut rows, packets and channel ends everywhere.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "psd/channel_bands.h"
#include "support/model_check.h"
#include "support/psd_writer.h"

namespace varnholt {
namespace {

using fixtures::Bytes;

// An in-memory stream that remembers every read asked of it: offset and byte count.
class TRecordingStream : public TBytesStream {
 public:
  using TBytesStream::TBytesStream;
  int32_t ReadAt(int64_t offset, void* destination, int32_t count) noexcept override {
    Reads.emplace_back(offset, count);
    return TBytesStream::ReadAt(offset, destination, count);
  }
  std::vector<std::pair<int64_t, int32_t>> Reads;
};

TChannelData Raw(int64_t start, int64_t samples) {
  TChannelData data;
  data.Start = start;
  data.Samples = samples;
  return data;
}

TChannelData Packed(int64_t samples, TCompressedLengths lengths) {
  TChannelData data;
  data.Compression = PackBitsData;
  data.Samples = samples;
  data.CompressedLengths = lengths;
  return data;
}

// All samples of channels 0 to 3, gathered band by band: what a plane would hold after each
// channel's load.
std::vector<Bytes> ReadAllBands(TStream& input, const TChannelData& data, const TBandSizes& sizes) {
  TChannelReader readers[4];
  StartChannelReaders(data, sizes, readers);
  std::vector<Bytes> channels(4);
  for (int64_t done = 0; done < data.Samples;) {
    const size_t count = static_cast<size_t>(std::min<int64_t>(data.Samples - done, static_cast<int64_t>(sizes.BandSamples)));
    const uint8_t* previous = nullptr;
    for (size_t c = 0; c < 4; ++c) {
      previous = ReadChannelBand(input, readers[c], count, previous);
      channels[c].insert(channels[c].end(), previous, previous + count);
    }
    done += static_cast<int64_t>(count);
  }
  return channels;
}

// Band and read sizes from one sample and one byte up to the defaults.
const TBandSizes SizesToTry[] = {{1, 1, 1}, {1, 2, 4}, {2, 1, 8}, {3, 5, 4}, {5, 3, 64}, {TBandSizes{}}};

TEST(ChannelBands, RawChannelsAreReadFromTheirOwnPlacesAndOnlyTheFirstFour) {
  Bytes file(40, 0xEE);  // the channel data starts at 10: five channels of 2 x 3
  for (uint8_t c = 0; c < 5; ++c)
    for (uint8_t i = 0; i < 6; ++i) file[10 + c * 6 + i] = static_cast<uint8_t>(c * 0x10 + i);
  TRecordingStream input(file);
  const std::vector<Bytes> channels = ReadAllBands(input, Raw(10, 6), TBandSizes{});
  for (uint8_t c = 0; c < 4; ++c) {
    SCOPED_TRACE(int{c});
    EXPECT_EQ(channels[c], Bytes(file.begin() + 10 + c * 6, file.begin() + 16 + c * 6));  // row 0, then row 1
  }
  EXPECT_EQ(input.Reads, (std::vector<std::pair<int64_t, int32_t>>{{10, 6}, {16, 6}, {22, 6}, {28, 6}}));
}

TEST(ChannelBands, LargeChannelsAreReadInPiecesOfTheReadSizeOrTheRest) {
  constexpr int64_t Samples = (int64_t{5} << 20) / 2 + 3;  // 2.5 MiB and 3 bytes a channel
  Bytes file(static_cast<size_t>(4 * Samples));
  for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 7 + i / 4099);
  TRecordingStream input(file);
  const std::vector<Bytes> channels = ReadAllBands(input, Raw(0, Samples), TBandSizes{});
  for (size_t c = 0; c < 4; ++c)
    EXPECT_TRUE(channels[c] == Bytes(file.begin() + static_cast<ptrdiff_t>(c * Samples),
                                     file.begin() + static_cast<ptrdiff_t>((c + 1) * Samples)))
        << "channel " << c;
  std::vector<std::pair<int64_t, int32_t>> expected;
  for (int64_t piece = 0; piece < 3; ++piece)
    for (int64_t c = 0; c < 4; ++c)
      expected.emplace_back(c * Samples + piece * (1 << 20), piece < 2 ? 1 << 20 : static_cast<int32_t>(Samples - (2 << 20)));
  EXPECT_EQ(input.Reads, expected);
}

// The plane's semantics, band by band: each case gives the file and what channels 0 to 3 hand
// out; every band and read size must give the same.
TEST(ChannelBands, HandOutWhatAPlaneLoadedChannelByChannelWouldHold) {
  struct TCase {
    const char* Shows;
    Bytes File;
    TChannelData Data;
    std::vector<Bytes> Expected;
  };
  const TCase cases[] = {
      {"PackBits rows of two rows of three (counts 2 and 4) are one stream",
       {0xFE, 0x41, 0x02, 0x42, 0x43, 0x44, 0xFD, 0x07, 0xFA, 0x08, 0x05, 1, 2, 3, 4, 5, 6},
       Packed(6, {6, 2, 2, 7}),
       {{0x41, 0x41, 0x41, 0x42, 0x43, 0x44}, {7, 7, 7, 7, 0x43, 0x44}, {8, 8, 8, 8, 8, 8}, {1, 2, 3, 4, 5, 6}}},
      {"a channel that decodes short keeps the previous channel's end",
       {0x02, 0x01, 0x02, 0x03, 0x02, 0x04, 0x05, 0x06, 0xFE, 0x09, 0x80, 0x80},
       Packed(6, {8, 2, 1, 1}),
       {{1, 2, 3, 4, 5, 6}, {9, 9, 9, 4, 5, 6}, {9, 9, 9, 4, 5, 6}, {9, 9, 9, 4, 5, 6}}},
      {"a run longer than the channel is cut, and the next block starts behind it",
       {0x81, 0x33, 0x00, 0x44, 0x01, 0x55, 0x66, 0xFF, 0x77},
       Packed(3, {2, 2, 3, 2}),
       {{0x33, 0x33, 0x33}, {0x44, 0x33, 0x33}, {0x55, 0x66, 0x33}, {0x77, 0x77, 0x33}}},
      {"a raw file ending inside channel 2 repeats channel 1 there, and channel 3 is channel 2",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, Raw(0, 4),
       {{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 7, 8}, {9, 10, 7, 8}}},
      {"a raw file ending inside channel 0 leaves zeros",
       {1, 2}, Raw(0, 4), {{1, 2, 0, 0}, {1, 2, 0, 0}, {1, 2, 0, 0}, {1, 2, 0, 0}}},
      // Channel 1 has only 01 07 of its six bytes; its block is 01 07 00 00 00 00.
      {"a block that the file ends inside decodes the missing bytes as zeros",
       {0x03, 0x01, 0x02, 0x03, 0x04, 0x01, 0x07}, Packed(4, {5, 6, 2, 3}),
       {{1, 2, 3, 4}, {7, 0, 0, 4}, {0, 0, 0, 4}, {0, 0, 0, 4}}},
      {"channels that start past the end of the file", {}, Packed(2, {4, 4, 4, 4}),
       {{0, 0}, {0, 0}, {0, 0}, {0, 0}}},
      {"an empty block hands out the previous channel", {0xFF, 0x21}, Packed(2, {2, 0, 0, 0}),
       {{0x21, 0x21}, {0x21, 0x21}, {0x21, 0x21}, {0x21, 0x21}}},
      {"no samples: nothing is handed out", {1, 2, 3}, Raw(0, 0), {{}, {}, {}, {}}},
  };
  for (const TCase& test : cases) {
    for (const TBandSizes& sizes : SizesToTry) {
      SCOPED_TRACE(testing::Message() << test.Shows << ", bands of " << sizes.BandSamples << ", reads of "
                                      << sizes.ReadBytes);
      TBytesStream input(test.File);
      EXPECT_EQ(ReadAllBands(input, test.Data, sizes), test.Expected);
    }
  }
}

// Whole conversions, PSD and PSB, against the model, at band and read sizes that split PackBits
// packets, rows and channel ends everywhere, and at the defaults.
TEST(ChannelBands, ConversionsMatchTheModelAtEveryBandSize) {
  std::vector<std::pair<std::string, Bytes>> documents;
  for (const uint16_t version : {1, 2}) {
    const std::string layout = version == 2 ? "PSB " : "PSD ";
    fixtures::TPsdFixture sprite;
    sprite.Version = version;
    sprite.Rows = 2 * (7 + 2);
    sprite.Columns = 13;
    sprite.Compression = 1;
    sprite.Channels = 5;
    sprite.LayerAndMask = Bytes(9, 0xC3);
    sprite.Planes = fixtures::SpriteSheetPlanes(2, 7, 2, 13);
    sprite.Planes.push_back(fixtures::FilledPlane(18, 13, 0x99));
    const Bytes rle = fixtures::WritePsd(sprite);
    documents.emplace_back(layout + "PackBits sprite sheet", rle);
    documents.emplace_back(layout + "PackBits cut inside channel 2", Bytes(rle.begin(), rle.begin() + rle.size() * 3 / 5));
    Bytes shifted = rle;
    shifted[shifted.size() / 2] ^= 0x80;  // a packet header changes kind: later samples shift
    documents.emplace_back(layout + "PackBits with a damaged header", shifted);
    sprite.Compression = 0;
    const Bytes raw = fixtures::WritePsd(sprite);
    documents.emplace_back(layout + "raw sprite sheet", raw);
    documents.emplace_back(layout + "raw cut inside channel 1", Bytes(raw.begin(), raw.begin() + raw.size() / 3));
  }
  fixtures::TPsdFixture one = fixtures::OnePixelPsd(0x0A, 0x14, 0x1E, 0x28);
  documents.emplace_back("one pixel", fixtures::WritePsd(one));
  const TBandSizes sizes[] = {{1, 1, 1}, {1, 3, 2}, {13, 1, 1}, {7, 2, 11}, {26, 5, 200}, {1000, 64, 16}, {TBandSizes{}}};
  for (const auto& [name, document] : documents) {
    for (const TBandSizes& size : sizes) {
      SCOPED_TRACE(testing::Message() << name << ", bands of " << size.BandSamples << ", reads of " << size.ReadBytes
                                      << ", writes of " << size.WriteBytes);
      EXPECT_EQ(fixtures::ConversionDifference(document, {}, size), "");
    }
  }
}

}  // namespace
}  // namespace varnholt
