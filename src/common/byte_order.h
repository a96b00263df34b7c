// Byte order: every number in a PSD and in a Filmstrip file is big-endian, and the hosts Varnholt
// runs on are little-endian, so each stored number has its bytes reversed once.
#pragma once

#include <bit>
#include <cstdint>

namespace varnholt {

static_assert(std::endian::native == std::endian::little, "the byte-order helpers assume a little-endian host");

inline uint16_t SwapWord(uint16_t value) { return static_cast<uint16_t>((value << 8) | (value >> 8)); }

inline uint32_t SwapLong(uint32_t value) {
  return (value << 24) | ((value & 0xFF00u) << 8) | ((value >> 8) & 0xFF00u) | (value >> 24);
}

}  // namespace varnholt
