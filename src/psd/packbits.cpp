#include "psd/packbits.h"

#include <algorithm>
#include <cstring>

namespace varnholt {

namespace {

// A packet produces 1 to 128 bytes, mostly a few dozen: copies and fills of that size are done
// inline, in stores that may overlap but never reach past the packet's bytes.
using TChunk = uint8_t __attribute__((vector_size(16)));

inline void FillRun(uint8_t* destination, uint8_t value, size_t count) {
  if (count >= 16) {
    const TChunk chunk = TChunk{} + value;
    for (size_t at = 0; at + 16 < count; at += 16) std::memcpy(destination + at, &chunk, 16);
    std::memcpy(destination + count - 16, &chunk, 16);
  } else if (count >= 4) {
    const uint64_t word = value * 0x0101010101010101u;
    if (count >= 8) {
      std::memcpy(destination, &word, 8);
      std::memcpy(destination + count - 8, &word, 8);
    } else {
      std::memcpy(destination, &word, 4);
      std::memcpy(destination + count - 4, &word, 4);
    }
  } else {
    destination[0] = value;
    destination[count / 2] = value;
    destination[count - 1] = value;
  }
}

inline void CopyLiteral(uint8_t* destination, const uint8_t* source, size_t count) {
  if (count >= 16) {
    TChunk chunk;
    for (size_t at = 0; at + 16 < count; at += 16) {
      std::memcpy(&chunk, source + at, 16);
      std::memcpy(destination + at, &chunk, 16);
    }
    std::memcpy(&chunk, source + count - 16, 16);
    std::memcpy(destination + count - 16, &chunk, 16);
  } else if (count >= 4) {
    uint64_t head, tail;
    if (count >= 8) {
      std::memcpy(&head, source, 8);
      std::memcpy(&tail, source + count - 8, 8);
      std::memcpy(destination, &head, 8);
      std::memcpy(destination + count - 8, &tail, 8);
    } else {
      uint32_t head4, tail4;
      std::memcpy(&head4, source, 4);
      std::memcpy(&tail4, source + count - 4, 4);
      std::memcpy(destination, &head4, 4);
      std::memcpy(destination + count - 4, &tail4, 4);
    }
  } else {
    const uint8_t first = source[0], middle = source[count / 2], last = source[count - 1];
    destination[0] = first;
    destination[count / 2] = middle;
    destination[count - 1] = last;
  }
}

}  // namespace

TPackBitsDecoder StartPackBits(int64_t sourceCount) {
  TPackBitsDecoder decoder;
  decoder.SourceLeft = sourceCount > 0 ? sourceCount : 0;
  return decoder;
}

bool PackBitsFinished(const TPackBitsDecoder& decoder) {
  // A run whose value is in hand still produces without source; a literal or a run header waiting
  // for its value byte needs a block byte that is no longer there.
  return decoder.SourceLeft == 0 && decoder.Pending != TPackBitsDecoder::Run;
}

size_t DecodePackBitsPart(TPackBitsDecoder& decoder, const uint8_t* source, size_t available, uint8_t* destination,
                          size_t room, size_t& taken) {
  available = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(available), decoder.SourceLeft));
  const uint8_t* const sourceStart = source;
  const uint8_t* const sourceEnd = source + available;
  uint8_t* const destinationStart = destination;
  uint8_t* const destinationEnd = destination + room;
  while (destination < destinationEnd) {
    if (decoder.Pending == TPackBitsDecoder::Run) {
      // A run: its copies, cut to the room; the rest waits for the next call.
      const size_t count = std::min<size_t>(decoder.PendingLeft, static_cast<size_t>(destinationEnd - destination));
      std::memset(destination, decoder.Value, count);
      destination += count;
      decoder.PendingLeft -= static_cast<uint32_t>(count);
      if (decoder.PendingLeft == 0) decoder.Pending = TPackBitsDecoder::None;
      continue;
    }
    if (source == sourceEnd) break;  // every byte given is taken (or the block has ended)
    if (decoder.Pending == TPackBitsDecoder::Literal) {
      // A literal: its bytes as they are, cut to the room and to the source at hand.
      const size_t count = std::min({size_t{decoder.PendingLeft}, static_cast<size_t>(destinationEnd - destination),
                                     static_cast<size_t>(sourceEnd - source)});
      std::memcpy(destination, source, count);
      destination += count;
      source += count;
      decoder.PendingLeft -= static_cast<uint32_t>(count);
      if (decoder.PendingLeft == 0) decoder.Pending = TPackBitsDecoder::None;
    } else if (decoder.Pending == TPackBitsDecoder::RunValue) {
      decoder.Value = *source++;
      decoder.Pending = TPackBitsDecoder::Run;
    } else {
      // A packet whose bytes are at hand and whose output fits is done at once; any other is
      // left pending and finished by the branches above, in this call or the next.
      const int header = static_cast<int8_t>(*source++);
      const size_t room = static_cast<size_t>(destinationEnd - destination);
      if (header >= 0) {
        const size_t count = static_cast<size_t>(header) + 1;
        if (count <= room && count <= static_cast<size_t>(sourceEnd - source)) {
          CopyLiteral(destination, source, count);
          destination += count;
          source += count;
        } else {
          decoder.Pending = TPackBitsDecoder::Literal;
          decoder.PendingLeft = static_cast<uint32_t>(count);
        }
      } else if (header != -128) {
        // A run header as the block's last byte produces nothing; -128 is a no-operation header.
        const size_t count = static_cast<size_t>(1 - header);
        if (count <= room && source != sourceEnd) {
          FillRun(destination, *source++, count);
          destination += count;
        } else {
          decoder.Pending = TPackBitsDecoder::RunValue;
          decoder.PendingLeft = static_cast<uint32_t>(count);
        }
      }
    }
  }
  taken = static_cast<size_t>(source - sourceStart);
  decoder.SourceLeft -= static_cast<int64_t>(taken);
  // A packet left waiting for bytes that the block no longer has is over.
  if (decoder.SourceLeft == 0 && decoder.Pending != TPackBitsDecoder::Run) decoder.Pending = TPackBitsDecoder::None;
  return static_cast<size_t>(destination - destinationStart);
}

void DecodePackBits(const uint8_t* source, uint8_t* destination, int32_t sourceCount, int32_t capacity) {
  if (sourceCount <= 0 || capacity <= 0) return;
  TPackBitsDecoder decoder = StartPackBits(sourceCount);
  size_t taken = 0;
  DecodePackBitsPart(decoder, source, static_cast<size_t>(sourceCount), destination, static_cast<size_t>(capacity),
                     taken);
}

}  // namespace varnholt
