#include "filmstrip/filmstrip_bands.h"

#include <cstring>

namespace varnholt {

void StartFilmstripPiece(TFilmstripPiece& piece, const TBandSizes& sizes) {
  // Whole bands fill a piece exactly, so that every write but the last is of the same size.
  const size_t bandBytes = 4 * sizes.BandSamples;
  piece.PixelCapacity = (sizes.WriteBytes + bandBytes - 1) / bandBytes * bandBytes;
  piece.Bytes = AllocateBlock(piece.PixelCapacity + sizeof(TFilmstripTail));
  piece.Filled = 0;
}

bool PieceHoldsBand(const TFilmstripPiece& piece, size_t count) { return piece.Filled + 4 * count <= piece.PixelCapacity; }

void InterleaveBand(const uint8_t* const (&strips)[4], size_t count, uint8_t* pixels) {
  const uint8_t* red = strips[0];
  const uint8_t* green = strips[1];
  const uint8_t* blue = strips[2];
  const uint8_t* alpha = strips[3];
  // Sixteen pixels at a time in vector registers: red and green, and blue and alpha, are paired
  // byte by byte, then the pairs word by word. The compilers of both hosts (GCC and Clang) take
  // the shuffles as the processor's unpack instructions.
  using TVector = uint8_t __attribute__((vector_size(16)));
  size_t i = 0;
  for (; i + 16 <= count; i += 16) {
    TVector r, g, b, a;
    std::memcpy(&r, red + i, 16);
    std::memcpy(&g, green + i, 16);
    std::memcpy(&b, blue + i, 16);
    std::memcpy(&a, alpha + i, 16);
    const TVector redGreenLow = __builtin_shufflevector(r, g, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const TVector redGreenHigh =
        __builtin_shufflevector(r, g, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    const TVector blueAlphaLow = __builtin_shufflevector(b, a, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    const TVector blueAlphaHigh =
        __builtin_shufflevector(b, a, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    const TVector quarters[4] = {
        __builtin_shufflevector(redGreenLow, blueAlphaLow, 0, 1, 16, 17, 2, 3, 18, 19, 4, 5, 20, 21, 6, 7, 22, 23),
        __builtin_shufflevector(redGreenLow, blueAlphaLow, 8, 9, 24, 25, 10, 11, 26, 27, 12, 13, 28, 29, 14, 15, 30, 31),
        __builtin_shufflevector(redGreenHigh, blueAlphaHigh, 0, 1, 16, 17, 2, 3, 18, 19, 4, 5, 20, 21, 6, 7, 22, 23),
        __builtin_shufflevector(redGreenHigh, blueAlphaHigh, 8, 9, 24, 25, 10, 11, 26, 27, 12, 13, 28, 29, 14, 15, 30,
                                31),
    };
    std::memcpy(pixels + 4 * i, quarters, sizeof quarters);
  }
  for (; i < count; ++i) {
    pixels[4 * i] = red[i];
    pixels[4 * i + 1] = green[i];
    pixels[4 * i + 2] = blue[i];
    pixels[4 * i + 3] = alpha[i];
  }
}

void AppendBand(TFilmstripPiece& piece, const uint8_t* const (&strips)[4], size_t count) {
  InterleaveBand(strips, count, piece.Bytes.Data() + piece.Filled);
  piece.Filled += 4 * count;
}

void AppendTail(TFilmstripPiece& piece, const TFilmstripTail& tail) {
  std::memcpy(piece.Bytes.Data() + piece.Filled, &tail, sizeof tail);
  piece.Filled += sizeof tail;
}

void WriteFilmstripPiece(TOutputStream& output, TFilmstripPiece& piece) {
  if (piece.Filled > 0) output.Write(piece.Bytes.Data(), piece.Filled);
  piece.Filled = 0;
}

}  // namespace varnholt
