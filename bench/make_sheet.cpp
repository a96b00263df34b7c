// Writes a benchmark sprite sheet as a PSD, or with `psb` in the large-document layout:
//   make_sheet ROWS COLUMNS raw|rle OUTPUT [psb]
// Raw sheets are written band by band, so that one of 2 GiB needs no copy of itself in memory.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "sprite_sheet.h"
#include "support/psd_writer.h"

namespace {

using varnholt::fixtures::Bytes;
using varnholt::fixtures::TPsdFixture;

constexpr uint32_t BandRows = 256;

// The header and sections from WritePsd (which writes no plane when given none), then each band of
// rows of the four planes at its place in the file.
void WriteRawSheet(const TPsdFixture& psd, const char* path) {
  const Bytes head = varnholt::fixtures::WritePsd(psd);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  const std::streamoff planeBytes = std::streamoff{psd.Rows} * psd.Columns;
  for (uint32_t first = 0; first < psd.Rows; first += BandRows) {
    const uint32_t rows = std::min(BandRows, psd.Rows - first);
    const auto band = varnholt::bench::SpriteSheetRows(psd.Columns, first, rows);
    for (std::streamoff channel = 0; channel < 4; ++channel) {
      out.seekp(static_cast<std::streamoff>(head.size()) + channel * planeBytes + std::streamoff{first} * psd.Columns);
      out.write(reinterpret_cast<const char*>(band[channel].data()), static_cast<std::streamsize>(band[channel].size()));
    }
  }
  if (!out.flush()) throw std::runtime_error(std::string("cannot write ") + path);
}

}  // namespace

int main(int argc, char** argv) {
  const bool psb = argc == 6 && std::strcmp(argv[5], "psb") == 0;
  if ((argc != 5 && !psb) || (std::strcmp(argv[3], "raw") != 0 && std::strcmp(argv[3], "rle") != 0)) {
    std::cerr << "usage: make_sheet ROWS COLUMNS raw|rle OUTPUT [psb]\n";
    return 2;
  }
  TPsdFixture psd;
  psd.Version = psb ? 2 : 1;
  psd.Rows = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  psd.Columns = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
  psd.Compression = std::strcmp(argv[3], "rle") == 0 ? 1 : 0;
  if (psd.Rows == 0 || psd.Columns == 0 || psd.Columns % 128 != 0 || psd.Columns > 300000 || psd.Rows > 300000) {
    std::cerr << "make_sheet: COLUMNS must be a multiple of 128 (the frames' width); both at most 300000\n";
    return 2;
  }
  if (psd.Compression == 0) {
    WriteRawSheet(psd, argv[4]);
  } else {
    psd.Planes = varnholt::bench::SpriteSheetRows(psd.Columns, 0, psd.Rows);
    varnholt::fixtures::WriteFileBytes(argv[4], varnholt::fixtures::WritePsd(psd));
  }
  return 0;
}
