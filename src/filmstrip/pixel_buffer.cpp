#include "filmstrip/pixel_buffer.h"

#include <bit>
#include <cstring>

namespace varnholt {

void CreatePixelBuffer(TMemoryStream& pixelBuffer, uint32_t rows, uint32_t columns) {
  // The header's sizes were checked before anything was sized, so this fits in 32 bits.
  pixelBuffer.SetSize(static_cast<int32_t>(columns * rows * 4 + 36));
}

void InterleaveChannel(TMemoryStream& pixelBuffer, const uint8_t* channelPlane, int channel, uint32_t rows,
                       uint32_t columns) {
  const size_t samples = size_t{rows} * columns;
  uint8_t* pixels = pixelBuffer.Memory();
  // Each pixel is read and written as one 32-bit word with the sample put into its byte: a loop
  // shape that compilers turn into vector code, where a store of every fourth byte stays scalar.
  const unsigned shift = 8 * static_cast<unsigned>(std::endian::native == std::endian::little ? channel : 3 - channel);
  const uint32_t keep = ~(uint32_t{0xFF} << shift);
  for (size_t i = 0; i < samples; ++i) {
    uint32_t pixel;
    std::memcpy(&pixel, pixels + i * 4, sizeof pixel);
    pixel = (pixel & keep) | uint32_t{channelPlane[i]} << shift;
    std::memcpy(pixels + i * 4, &pixel, sizeof pixel);
  }
}

void SaveFilmstrip(TMemoryStream& pixelBuffer, const TFilmstripTail& tail, TFileSystem& fileSystem,
                   const std::string& outputPath) {
  pixelBuffer.SetPosition(pixelBuffer.Size() - static_cast<int32_t>(sizeof tail));
  pixelBuffer.Write(&tail, sizeof tail);
  pixelBuffer.SaveToFile(fileSystem, outputPath);
}

}  // namespace varnholt
