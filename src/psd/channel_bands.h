// The channel data of channels 0 to 3, handed out band by band: each channel is read from its
// own place in the file, raw or through a PackBits decoder that keeps its state from band to band.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/band_sizes.h"
#include "platform/platform.h"
#include "psd/packbits.h"
#include "psd/psd_header.h"

namespace varnholt {

// Where the channel data stands, as the layout steps leave it.
struct TChannelData {
  uint16_t Compression = RawData;
  int64_t Start = 0;     // the first byte of channel 0's data
  int64_t Samples = 0;   // Rows x Columns: the samples of one channel
  TCompressedLengths CompressedLengths{};  // PackBits only
};

// One channel's reading: the file bytes read ahead of the samples handed out, the decoder's
// state, and the band assembled where the bytes at hand do not make it whole.
struct TChannelReader {
  bool Packed = false;        // PackBits; raw otherwise
  int64_t NextOffset = 0;     // the file offset of the next byte to read ahead
  int64_t UnreadBytes = 0;    // bytes of the channel's data (or block) not yet read ahead
  bool FileEnded = false;     // a read came back short: the file holds nothing more here
  TPackBitsDecoder Decoder;
  TMemoryBlock ReadAhead;
  size_t ReadAheadStart = 0;  // the bytes at hand: ReadAheadStart to ReadAheadEnd
  size_t ReadAheadEnd = 0;
  TMemoryBlock Band;
};

// Prepares the four readers; EOutOfMemory when their buffers cannot be had.
void StartChannelReaders(const TChannelData& data, const TBandSizes& sizes, TChannelReader (&readers)[4]);

// The next `count` samples of the reader's channel. Where the channel has no sample for a place
// (a raw channel that the file ends inside, a decoder that has stopped), the sample is the
// previous channel's at that place, in `previousBand`, or 0 for channel 0 (previousBand null).
// The samples stay valid until the reader's next band.
const uint8_t* ReadChannelBand(TStream& input, TChannelReader& reader, size_t count, const uint8_t* previousBand);

}  // namespace varnholt
