// The Filmstrip file assembled band by band: the four channels' samples of a band interleaved
// into pixels, gathered in pieces of a megabyte or more that are written whole, and the tail
// behind the last pixel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/band_sizes.h"
#include "filmstrip/frame_dialogue.h"
#include "platform/platform.h"

namespace varnholt {

// A piece of the file: the pixels of whole bands and, in the last piece, the tail.
struct TFilmstripPiece {
  TMemoryBlock Bytes;
  size_t PixelCapacity = 0;  // pixel bytes of the whole bands that fill a piece
  size_t Filled = 0;
};

// Sizes the piece to whole bands of at least the write size, with room for the tail behind
// them; EOutOfMemory when it cannot be had.
void StartFilmstripPiece(TFilmstripPiece& piece, const TBandSizes& sizes);

// Whether a band of `count` samples still fits behind the pixels so far.
bool PieceHoldsBand(const TFilmstripPiece& piece, size_t count);

// Pixel i of `pixels` receives sample i of channels 0, 1, 2 and 3 as its bytes red, green, blue
// and alpha.
void InterleaveBand(const uint8_t* const (&strips)[4], size_t count, uint8_t* pixels);

// Interleaves a band behind the pixels so far; the band must fit.
void AppendBand(TFilmstripPiece& piece, const uint8_t* const (&strips)[4], size_t count);

// Puts the tail behind the last pixel; there is always room for it.
void AppendTail(TFilmstripPiece& piece, const TFilmstripTail& tail);

// Writes the piece's bytes and empties it; EWriteError when the file takes fewer.
void WriteFilmstripPiece(TOutputStream& output, TFilmstripPiece& piece);

}  // namespace varnholt
