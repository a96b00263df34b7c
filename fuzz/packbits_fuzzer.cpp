// DecodePackBits on arbitrary sources, source counts and capacities. The input is the source
// count and the capacity (4 bytes each, little-endian), then the source bytes. The source area
// holds exactly the counted bytes, so a read past it is caught by AddressSanitizer; the
// destination lies between guard bytes, and its every byte, guards included, must come out as
// the byte-by-byte model decodes it. The same source decoded in pieces, into bands, with the
// decoder's state carried from call to call, must give the same bytes.
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <vector>

#include "psd/packbits.h"
#include "support/conversion_model.h"

namespace {

constexpr int32_t LargestCapacity = 1 << 12;  // 32 of the longest packets: small areas, fast runs
constexpr size_t Guard = 64;

// Earlier content of the destination: varied, so that a stray write of the same value as a
// constant sentinel does not go unseen.
uint8_t Earlier(size_t i) { return static_cast<uint8_t>(i * 131 + 7); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  int32_t sourceCount;
  int32_t capacity;
  std::memcpy(&sourceCount, data, 4);
  std::memcpy(&capacity, data + 4, 4);
  const size_t available = size - 8;
  // Counts of 0 and below stay as given; larger ones are brought within the bytes there are.
  if (sourceCount > 0) sourceCount = static_cast<int32_t>(static_cast<size_t>(sourceCount) % (available + 1));
  if (capacity > 0) capacity %= LargestCapacity + 1;

  const std::vector<uint8_t> given(data + 8, data + 8 + (sourceCount > 0 ? sourceCount : 0));
  const std::vector<uint8_t> source = given;
  const size_t room = capacity > 0 ? static_cast<size_t>(capacity) : 0;
  std::vector<uint8_t> area(Guard + room + Guard);
  for (size_t i = 0; i < area.size(); ++i) area[i] = Earlier(i);
  std::vector<uint8_t> expected = area;

  varnholt::DecodePackBits(source.data(), area.data() + Guard, sourceCount, capacity);
  varnholt::fixtures::ModelDecodePackBits(given.data(), sourceCount, expected.data() + Guard, capacity);

  for (size_t i = 0; i < Guard; ++i) {
    if (area[i] != Earlier(i) || area[area.size() - 1 - i] != Earlier(area.size() - 1 - i)) {
      std::fprintf(stderr, "DecodePackBits wrote outside its destination\n");
      std::abort();
    }
  }
  if (area != expected) {
    std::fprintf(stderr, "DecodePackBits differs from the byte-by-byte decoding\n");
    std::abort();
  }
  if (source != given) {
    std::fprintf(stderr, "DecodePackBits changed its source\n");
    std::abort();
  }

  // Pieces of 1 to 17 source bytes into bands of 1 to 11 bytes, as the channel reader feeds it.
  if (sourceCount <= 0 || capacity <= 0) return 0;
  const size_t piece = 1 + (static_cast<size_t>(sourceCount) * 31 + room) % 17;
  const size_t band = 1 + (room * 13 + size) % 11;
  std::vector<uint8_t> banded(Guard + room + Guard);
  for (size_t i = 0; i < banded.size(); ++i) banded[i] = Earlier(i);
  varnholt::TPackBitsDecoder decoder = varnholt::StartPackBits(sourceCount);
  size_t taken = 0;
  size_t written = 0;
  while (written < room && !varnholt::PackBitsFinished(decoder)) {
    size_t took = 0;
    const size_t offer = std::min(piece, source.size() - taken);
    const size_t produced = varnholt::DecodePackBitsPart(decoder, source.data() + taken, offer,
                                                         banded.data() + Guard + written, std::min(band, room - written), took);
    if (took > offer || produced > band) {
      std::fprintf(stderr, "DecodePackBitsPart went beyond what it was given\n");
      std::abort();
    }
    taken += took;
    written += produced;
    if (produced == 0 && took == 0) {
      std::fprintf(stderr, "DecodePackBitsPart made no progress\n");
      std::abort();
    }
  }
  if (banded != expected) {
    std::fprintf(stderr, "DecodePackBits in pieces differs from the byte-by-byte decoding\n");
    std::abort();
  }
  return 0;
}
