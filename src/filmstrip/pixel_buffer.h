// The pixel buffer: the whole Filmstrip file assembled in memory, then saved in one piece.
#pragma once

#include <cstdint>
#include <string>

#include "filmstrip/frame_dialogue.h"
#include "platform/platform.h"

namespace varnholt {

// Sizes the buffer once to Rows x Columns x 4 + 36 bytes; EStreamError when memory runs short.
void CreatePixelBuffer(TMemoryStream& pixelBuffer, uint32_t rows, uint32_t columns);

// Copies the plane into byte c of every pixel: plane byte i goes to buffer byte i x 4 + c.
void InterleaveChannel(TMemoryStream& pixelBuffer, const uint8_t* channelPlane, int channel, uint32_t rows,
                       uint32_t columns);

// Writes the tail into the last 36 bytes and saves the whole buffer to the output path.
void SaveFilmstrip(TMemoryStream& pixelBuffer, const TFilmstripTail& tail, TFileSystem& fileSystem,
                   const std::string& outputPath);

}  // namespace varnholt
