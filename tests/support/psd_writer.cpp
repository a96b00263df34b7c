#include "support/psd_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace varnholt::fixtures {

void AppendWord(Bytes& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void AppendLong(Bytes& out, uint32_t value) {
  AppendWord(out, static_cast<uint16_t>(value >> 16));
  AppendWord(out, static_cast<uint16_t>(value));
}

Bytes EncodePackBitsRow(const uint8_t* row, size_t count) {
  Bytes out;
  size_t i = 0;
  while (i < count) {
    size_t run = 1;
    while (i + run < count && run < 128 && row[i + run] == row[i]) ++run;
    if (run >= 3) {
      out.push_back(static_cast<uint8_t>(1 - static_cast<int>(run)));
      out.push_back(row[i]);
      i += run;
      continue;
    }
    // A literal up to the next run of three, at most 128 bytes.
    size_t end = i;
    while (end < count && end - i < 128) {
      if (end + 2 < count && row[end] == row[end + 1] && row[end] == row[end + 2]) break;
      ++end;
    }
    out.push_back(static_cast<uint8_t>(end - i - 1));
    out.insert(out.end(), row + i, row + end);
    i = end;
  }
  return out;
}

static void AppendSection(Bytes& out, const Bytes& section, bool eightByteLength = false) {
  if (eightByteLength) AppendLong(out, static_cast<uint32_t>(uint64_t{section.size()} >> 32));
  AppendLong(out, static_cast<uint32_t>(section.size()));
  out.insert(out.end(), section.begin(), section.end());
}

Bytes WritePsd(const TPsdFixture& fixture) {
  Bytes out(fixture.Signature.begin(), fixture.Signature.end());
  AppendWord(out, fixture.Version);
  out.insert(out.end(), 6, 0);
  AppendWord(out, fixture.Channels);
  AppendLong(out, fixture.Rows);
  AppendLong(out, fixture.Columns);
  AppendWord(out, fixture.Depth);
  AppendWord(out, fixture.Mode);
  AppendSection(out, fixture.ColourModeData);
  AppendSection(out, fixture.ImageResources);
  const bool large = fixture.Version == 2;
  AppendSection(out, fixture.LayerAndMask, large);
  AppendWord(out, fixture.Compression);
  if (fixture.Compression != 1) {
    for (const Bytes& plane : fixture.Planes) out.insert(out.end(), plane.begin(), plane.end());
    return out;
  }
  Bytes table;
  Bytes data;
  for (const Bytes& plane : fixture.Planes) {
    for (uint32_t r = 0; r < fixture.Rows; ++r) {
      const size_t start = size_t{r} * fixture.Columns;
      if (start + fixture.Columns > plane.size()) throw std::invalid_argument("plane smaller than Rows x Columns");
      const Bytes row = EncodePackBitsRow(plane.data() + start, fixture.Columns);
      if (large) {
        AppendLong(table, static_cast<uint32_t>(row.size()));
      } else {
        AppendWord(table, static_cast<uint16_t>(row.size()));
      }
      data.insert(data.end(), row.begin(), row.end());
    }
  }
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

TPsdFixture OnePixelPsd(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha) {
  TPsdFixture psd;
  psd.Rows = 1;
  psd.Columns = 1;
  psd.Planes = {{red}, {green}, {blue}, {alpha}};
  return psd;
}

Bytes FilledPlane(uint32_t rows, uint32_t columns, uint8_t value) { return Bytes(size_t{rows} * columns, value); }

std::vector<Bytes> SpriteSheetPlanes(uint32_t frames, uint32_t frameHeight, uint32_t leading, uint32_t columns) {
  const uint32_t rows = frames * (frameHeight + leading);
  std::vector<Bytes> planes(4, Bytes(size_t{rows} * columns, 0));
  const double radius = std::min(frameHeight, columns) * 0.3;
  for (uint32_t f = 0; f < frames; ++f) {
    const double centreX = radius + (columns - 2 * radius) * (frames > 1 ? double(f) / (frames - 1) : 0.5);
    const double centreY = frameHeight / 2.0;
    for (uint32_t y = 0; y < frameHeight; ++y) {
      for (uint32_t x = 0; x < columns; ++x) {
        const size_t at = size_t{f * (frameHeight + leading) + y} * columns + x;
        const double distance = std::hypot(x + 0.5 - centreX, y + 0.5 - centreY);
        const double cover = std::clamp(radius + 0.5 - distance, 0.0, 1.0);
        planes[0][at] = static_cast<uint8_t>(200 + 55 * (y * 2 < frameHeight));
        planes[1][at] = static_cast<uint8_t>(60 + 10 * f);
        planes[2][at] = 40;
        planes[3][at] = static_cast<uint8_t>(std::lround(cover * 255));
      }
    }
  }
  return planes;
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace varnholt::fixtures
