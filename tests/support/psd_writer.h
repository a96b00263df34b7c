// Test fixtures: PSD documents written field by field, and their PackBits encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace varnholt::fixtures {

using Bytes = std::vector<uint8_t>;

// Everything a fixture document says; each field is written as given, so a test can make any
// header, section or table it needs, valid or not.
struct TPsdFixture {
  std::string Signature = "8BPS";
  uint16_t Version = 1;  // 2 writes the large-document layout (PSB)
  uint16_t Channels = 4;
  uint32_t Rows = 0;
  uint32_t Columns = 0;
  uint16_t Depth = 8;
  uint16_t Mode = 3;
  Bytes ColourModeData;
  Bytes ImageResources;
  Bytes LayerAndMask;
  uint16_t Compression = 0;
  // One plane of Rows x Columns samples per channel, channel 0 first.
  std::vector<Bytes> Planes;
};

void AppendWord(Bytes& out, uint16_t value);
void AppendLong(Bytes& out, uint32_t value);

// PackBits for one row, as a paint program writes it: runs of 3 or more as run packets, the
// rest as literals of at most 128 bytes.
Bytes EncodePackBitsRow(const uint8_t* row, size_t count);

// The whole document. With compression 1 the planes are encoded row by row and the row
// byte-count table is written in front of the channel data; any other code writes the planes raw.
// Version 2 writes the large-document layout: an 8-byte length of the layer and mask information
// and 4-byte row byte counts.
Bytes WritePsd(const TPsdFixture& fixture);

// A document of one pixel, its four channels holding the four samples.
TPsdFixture OnePixelPsd(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);

// A plane of the given size whose every sample is `value`.
Bytes FilledPlane(uint32_t rows, uint32_t columns, uint8_t value);

// A sprite sheet: `frames` frames of a ball moving across, each `frameHeight` rows tall with
// `leading` empty rows below; flat background, soft-edged alpha. Four planes, RGBA.
std::vector<Bytes> SpriteSheetPlanes(uint32_t frames, uint32_t frameHeight, uint32_t leading, uint32_t columns);

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);

}  // namespace varnholt::fixtures
