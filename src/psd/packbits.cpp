#include "psd/packbits.h"

#include <cstring>

namespace varnholt {

void DecodePackBits(const uint8_t* source, uint8_t* destination, int32_t sourceCount, int32_t capacity) {
  int32_t sourceLeft = sourceCount;
  int32_t room = capacity;
  while (room > 0 && sourceLeft > 0) {
    const int32_t header = static_cast<int8_t>(*source++);
    --sourceLeft;
    if (header >= 0) {
      // Literal: header + 1 bytes as they are, cut to what is left on either side.
      int32_t count = header + 1;
      if (count > room) count = room;
      if (count > sourceLeft) count = sourceLeft;
      std::memcpy(destination, source, static_cast<size_t>(count));
      source += count;
      destination += count;
      sourceLeft -= count;
      room -= count;
    } else if (header != -128) {
      // Run: 1 - header copies of the next byte. -128 is a no-operation header.
      if (sourceLeft == 0) break;
      const uint8_t value = *source++;
      --sourceLeft;
      int32_t count = 1 - header;
      if (count > room) count = room;
      std::memset(destination, value, static_cast<size_t>(count));
      destination += count;
      room -= count;
    }
  }
}

}  // namespace varnholt
