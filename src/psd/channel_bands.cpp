#include "psd/channel_bands.h"

#include <algorithm>
#include <cstring>

namespace varnholt {

namespace {

// Reads the next piece of the channel's bytes ahead; false when there is none to read. A raw
// channel ends where the file ends; a PackBits block is as long as its row counts say, and the
// bytes that the file no longer holds are zeros, decoded like any others.
bool ReadAheadChannel(TStream& input, TChannelReader& reader) {
  const size_t want = static_cast<size_t>(std::min<int64_t>(reader.UnreadBytes, static_cast<int64_t>(reader.ReadAhead.Size())));
  if (want == 0 || (reader.FileEnded && !reader.Packed)) return false;
  const int32_t wanted = static_cast<int32_t>(want);
  const int32_t got = reader.FileEnded ? 0 : input.ReadAt(reader.NextOffset, reader.ReadAhead.Data(), wanted);
  if (got < wanted) reader.FileEnded = true;
  const size_t delivered = reader.Packed ? want : static_cast<size_t>(got);
  if (reader.Packed) std::memset(reader.ReadAhead.Data() + got, 0, want - static_cast<size_t>(got));
  reader.NextOffset += static_cast<int64_t>(delivered);
  reader.UnreadBytes -= static_cast<int64_t>(delivered);
  reader.ReadAheadStart = 0;
  reader.ReadAheadEnd = delivered;
  return delivered > 0;
}

size_t BytesAtHand(const TChannelReader& reader) { return reader.ReadAheadEnd - reader.ReadAheadStart; }

}  // namespace

void StartChannelReaders(const TChannelData& data, const TBandSizes& sizes, TChannelReader (&readers)[4]) {
  int64_t offset = data.Start;
  for (size_t c = 0; c < 4; ++c) {
    TChannelReader& reader = readers[c];
    reader = TChannelReader{};
    reader.Packed = data.Compression == PackBitsData;
    // Raw channels follow each other at Rows x Columns bytes; a block follows the one before.
    const int64_t length = reader.Packed ? data.CompressedLengths[c] : data.Samples;
    reader.NextOffset = offset;
    reader.UnreadBytes = length;
    offset += length;
    if (reader.Packed) reader.Decoder = StartPackBits(length);
    // At least one byte each, so that every buffer has an address.
    reader.ReadAhead = AllocateBlock(static_cast<size_t>(std::clamp<int64_t>(length, 1, static_cast<int64_t>(sizes.ReadBytes))));
    reader.Band = AllocateBlock(static_cast<size_t>(std::clamp<int64_t>(data.Samples, 1, static_cast<int64_t>(sizes.BandSamples))));
  }
}

const uint8_t* ReadChannelBand(TStream& input, TChannelReader& reader, size_t count, const uint8_t* previousBand) {
  uint8_t* const band = reader.Band.Data();
  const uint8_t* atHand = reader.ReadAhead.Data();
  size_t filled = 0;
  if (!reader.Packed) {
    // Raw samples that are wholly at hand are handed out where they were read.
    if (BytesAtHand(reader) == 0) ReadAheadChannel(input, reader);
    if (BytesAtHand(reader) >= count) {
      reader.ReadAheadStart += count;
      return atHand + reader.ReadAheadStart - count;
    }
    while (filled < count && (BytesAtHand(reader) > 0 || ReadAheadChannel(input, reader))) {
      const size_t take = std::min(BytesAtHand(reader), count - filled);
      std::memcpy(band + filled, atHand + reader.ReadAheadStart, take);
      reader.ReadAheadStart += take;
      filled += take;
    }
  } else {
    while (filled < count && !PackBitsFinished(reader.Decoder)) {
      // A run in hand produces without source; anything else needs block bytes, which the
      // decoder has (it is not finished), so the read ahead finds some.
      if (BytesAtHand(reader) == 0 && reader.Decoder.Pending != TPackBitsDecoder::Run) ReadAheadChannel(input, reader);
      size_t taken = 0;
      const size_t produced = DecodePackBitsPart(reader.Decoder, atHand + reader.ReadAheadStart, BytesAtHand(reader),
                                                 band + filled, count - filled, taken);
      reader.ReadAheadStart += taken;
      filled += produced;
      if (produced == 0 && taken == 0) break;  // nothing moves: never spin
    }
  }
  // Where the channel has no samples, the previous channel's stand, as they would in a plane
  // that every channel is loaded into in turn.
  if (filled < count) {
    if (previousBand != nullptr) {
      std::memcpy(band + filled, previousBand + filled, count - filled);
    } else {
      std::memset(band + filled, 0, count - filled);
    }
  }
  return band;
}

}  // namespace varnholt
