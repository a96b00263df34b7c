// The channel plane: one channel of the image, Rows x Columns bytes, loaded for channels 0 to 3
// in turn from raw or PackBits data.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "psd/psd_header.h"

namespace varnholt {

// Sizes the plane to Rows x Columns bytes, all 0. Created once and reused for every channel.
void CreateChannelPlane(const TPsdHeader& header, TByteArray& channelPlane);

// The compressed length of channel c: the sum of its Rows entries of RowByteCounts.
int64_t CompressedLength(const TWordArray& rowByteCounts, uint32_t rows, int channel);

// Raises ERangeError when the compressed length of any of channels 0 to 3 exceeds 2^31 - 1.
void CheckCompressedLengths(const TWordArray& rowByteCounts, uint32_t rows);

// Loads channel c into the plane from the stream, which stands at the channel's first byte.
// A short read is no error: the plane bytes it does not reach keep the previous channel's values,
// and missing compressed bytes decode as zeros.
void LoadChannel(TStream& input, const TPsdHeader& header, uint16_t compression, const TWordArray& rowByteCounts,
                 int channel, TByteArray& channelPlane);

}  // namespace varnholt
