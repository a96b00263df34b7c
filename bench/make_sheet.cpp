// Writes a benchmark sprite sheet as a PSD: make_sheet SIZE raw|rle OUTPUT.
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "sprite_sheet.h"
#include "support/psd_writer.h"

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[2], "raw") != 0 && std::strcmp(argv[2], "rle") != 0)) {
    std::cerr << "usage: make_sheet SIZE raw|rle OUTPUT\n";
    return 2;
  }
  const uint32_t size = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  if (size == 0 || size % 128 != 0 || size > 16384) {
    std::cerr << "make_sheet: SIZE must be a multiple of 128 up to 16384\n";
    return 2;
  }
  varnholt::fixtures::TPsdFixture psd;
  psd.Rows = size;
  psd.Columns = size;
  psd.Compression = std::strcmp(argv[2], "rle") == 0 ? 1 : 0;
  psd.Planes = varnholt::bench::SpriteSheetContent(size);
  varnholt::fixtures::WriteFileBytes(argv[3], varnholt::fixtures::WritePsd(psd));
  return 0;
}
