// The sizes of the pieces a conversion works in: bands of samples that stay in cache, reads and
// writes large enough that the system calls cost nothing beside the bytes they move.
#pragma once

#include <cstddef>

namespace varnholt {

// Tests set them small, to cut packets, rows and channel ends at every place.
struct TBandSizes {
  size_t BandSamples = size_t{1} << 18;  // samples of one channel per band
  size_t ReadBytes = size_t{1} << 20;    // bytes of one channel read at a time
  size_t WriteBytes = size_t{1} << 20;   // output bytes written at a time, at least
};

}  // namespace varnholt
