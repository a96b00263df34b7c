#include "filmstrip/pixel_buffer.h"

namespace varnholt {

void CreatePixelBuffer(TMemoryStream& pixelBuffer, uint32_t rows, uint32_t columns) {
  // The header's sizes were checked before anything was sized, so this fits in 32 bits.
  pixelBuffer.SetSize(static_cast<int32_t>(columns * rows * 4 + 36));
}

void InterleaveChannel(TMemoryStream& pixelBuffer, const uint8_t* channelPlane, int channel, uint32_t rows,
                       uint32_t columns) {
  const size_t samples = size_t{rows} * columns;
  uint8_t* pixels = pixelBuffer.Memory() + channel;
  for (size_t i = 0; i < samples; ++i) pixels[i * 4] = channelPlane[i];
}

void SaveFilmstrip(TMemoryStream& pixelBuffer, const TFilmstripTail& tail, TFileSystem& fileSystem,
                   const std::string& outputPath) {
  pixelBuffer.SetPosition(pixelBuffer.Size() - static_cast<int32_t>(sizeof tail));
  pixelBuffer.Write(&tail, sizeof tail);
  pixelBuffer.SaveToFile(fileSystem, outputPath);
}

}  // namespace varnholt
