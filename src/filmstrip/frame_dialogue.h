// The Filmstrip tail and the console dialogue that gives the frame geometry.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace varnholt {

#pragma pack(push, 1)
// The 36-byte record behind the pixel block, built in its file form: every number big-endian.
struct TFilmstripTail {
  char Signature[4];     // "Rand"
  uint32_t FrameCount;   // whole frame slots in the strip: Rows / (FrameHeight + Leading)
  uint16_t Reserved1;
  uint16_t Reserved2;
  uint16_t Width;            // Columns modulo 65536
  uint16_t FrameHeight;      // rows of one frame
  uint16_t Leading;          // rows between one frame and the next
  uint16_t FramesPerSecond;
  uint8_t Reserved3[16];
};
#pragma pack(pop)
static_assert(sizeof(TFilmstripTail) == 36, "TFilmstripTail must match the file's 36 bytes");

// Writes the prompt without a line end, reads one answer line and converts it; EConvertError
// "'<line>' is not a valid integer value" when it is not an integer.
int32_t AskNumber(TConsole& console, std::string_view prompt);

// Asks the three questions and builds the tail; EDivByZero when frame height plus leading is 0.
TFilmstripTail AskFrameGeometry(TConsole& console, uint32_t rows, uint32_t columns);

}  // namespace varnholt
