#include "psd/packbits.h"

#include <algorithm>
#include <cstring>

namespace varnholt {

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
          std::memcpy(destination, source, count);
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
          std::memset(destination, *source++, count);
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
