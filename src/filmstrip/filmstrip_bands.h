// The Filmstrip file assembled band by band: the four channels' samples of a band interleaved
// into pixels, written in large pieces, and the tail behind the last pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "common/band_sizes.h"
#include "filmstrip/frame_dialogue.h"
#include "platform/platform.h"

namespace varnholt {

struct TFilmstripWriter {
  std::unique_ptr<TOutputStream> Output;
  TMemoryBlock Pixels;       // pixels assembled and not yet written, with room for the tail
  size_t PixelCapacity = 0;  // whole bands' pixels that are written together
  size_t Filled = 0;
};

// Sizes the writer's buffer; EOutOfMemory when it cannot be had. No file is touched.
void StartFilmstrip(TFilmstripWriter& writer, const TBandSizes& sizes);

// Creates (or empties) the output file; EFCreateError when it cannot be created.
void CreateFilmstripFile(TFilmstripWriter& writer, TFileSystem& fileSystem, const std::string& outputPath);

// Pixel i of `pixels` receives sample i of channels 0, 1, 2 and 3 as its bytes red, green, blue
// and alpha.
void InterleaveBand(const uint8_t* const (&strips)[4], size_t count, uint8_t* pixels);

// Interleaves a band of `count` samples (at most the band size) behind the pixels so far,
// writing them out first when the band would not fit; EWriteError when the file takes fewer.
void WriteFilmstripBand(TFilmstripWriter& writer, const uint8_t* const (&strips)[4], size_t count);

// Puts the tail behind the last pixel, writes what is pending and closes the file.
void FinishFilmstrip(TFilmstripWriter& writer, const TFilmstripTail& tail);

}  // namespace varnholt
