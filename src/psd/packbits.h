// PackBits, the run-length scheme of PSD image data with compression code 1.
#pragma once

#include <cstdint>

namespace varnholt {

// Expands sourceCount PackBits bytes into at most capacity bytes from the start of destination.
// The source is one continuous stream of packets (a run may carry on into the next row). Nothing
// is read at or past sourceCount, nothing written at or past capacity, and destination bytes that
// decoding does not reach keep their values. Damaged data is never an error.
void DecodePackBits(const uint8_t* source, uint8_t* destination, int32_t sourceCount, int32_t capacity);

}  // namespace varnholt
