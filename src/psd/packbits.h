// PackBits, the run-length scheme of PSD image data with compression code 1.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnholt {

// Where the decoding of one channel's block stands between two calls: the block bytes not yet
// taken, and the packet that the last call left unfinished. The decoder knows no rows: the block
// is one continuous stream of packets, and a packet carries on across the end of a row, of a
// band of samples or of a piece of source alike.
struct TPackBitsDecoder {
  int64_t SourceLeft = 0;  // block bytes not yet taken, counted against the block's length
  enum TPending : uint8_t { None, Literal, RunValue, Run } Pending = None;
  uint8_t Value = 0;       // the byte a run repeats
  uint32_t PendingLeft = 0;  // bytes the unfinished literal or run still produces
};

// Starts a decoder over a block of sourceCount bytes.
TPackBitsDecoder StartPackBits(int64_t sourceCount);

// True once the decoder can produce nothing more: its block is used up and no packet is pending.
bool PackBitsFinished(const TPackBitsDecoder& decoder);

// Decodes from the next `available` block bytes at `source` into `destination` until the
// destination's `room` bytes are written, the bytes given are taken or the block ends. Never
// takes more bytes than the block has left. Returns the bytes written; `taken` receives the
// source bytes taken.
size_t DecodePackBitsPart(TPackBitsDecoder& decoder, const uint8_t* source, size_t available, uint8_t* destination,
                          size_t room, size_t& taken);

// Expands sourceCount PackBits bytes into at most capacity bytes from the start of destination,
// in one piece. Nothing is read at or past sourceCount, nothing written at or past capacity, and
// destination bytes that decoding does not reach keep their values. Damaged data is never an error.
void DecodePackBits(const uint8_t* source, uint8_t* destination, int32_t sourceCount, int32_t capacity);

}  // namespace varnholt
