#include "filmstrip/filmstrip_bands.h"

#include <cstring>

namespace varnholt {

void StartFilmstrip(TFilmstripWriter& writer, const TBandSizes& sizes) {
  // Whole bands fill the buffer exactly, so that every write but the last is of the same size.
  const size_t bandBytes = 4 * sizes.BandSamples;
  writer.PixelCapacity = (sizes.WriteBytes + bandBytes - 1) / bandBytes * bandBytes;
  writer.Pixels = AllocateBlock(writer.PixelCapacity + sizeof(TFilmstripTail));
  writer.Filled = 0;
}

void CreateFilmstripFile(TFilmstripWriter& writer, TFileSystem& fileSystem, const std::string& outputPath) {
  writer.Output = fileSystem.CreateOutput(outputPath);
}

void InterleaveBand(const uint8_t* const (&strips)[4], size_t count, uint8_t* pixels) {
  const uint8_t* red = strips[0];
  const uint8_t* green = strips[1];
  const uint8_t* blue = strips[2];
  const uint8_t* alpha = strips[3];
  // One 32-bit word per pixel, red in its lowest byte on the little-endian hosts: a loop shape
  // that compilers turn into vector code, where four stores of every fourth byte stay scalar.
  for (size_t i = 0; i < count; ++i) {
    const uint32_t pixel = uint32_t{red[i]} | uint32_t{green[i]} << 8 | uint32_t{blue[i]} << 16 | uint32_t{alpha[i]} << 24;
    std::memcpy(pixels + 4 * i, &pixel, sizeof pixel);
  }
}

static void WritePending(TFilmstripWriter& writer) {
  if (writer.Filled > 0) writer.Output->Write(writer.Pixels.Data(), writer.Filled);
  writer.Filled = 0;
}

void WriteFilmstripBand(TFilmstripWriter& writer, const uint8_t* const (&strips)[4], size_t count) {
  if (writer.Filled + 4 * count > writer.PixelCapacity) WritePending(writer);
  InterleaveBand(strips, count, writer.Pixels.Data() + writer.Filled);
  writer.Filled += 4 * count;
}

void FinishFilmstrip(TFilmstripWriter& writer, const TFilmstripTail& tail) {
  // The buffer keeps room for the tail behind a full load of pixels.
  std::memcpy(writer.Pixels.Data() + writer.Filled, &tail, sizeof tail);
  writer.Filled += sizeof tail;
  WritePending(writer);
  writer.Output->Close();
}

}  // namespace varnholt
