#include "psd/channel_plane.h"

#include "psd/packbits.h"

namespace varnholt {

void CreateChannelPlane(const TPsdHeader& header, TByteArray& channelPlane) {
  // CheckPsdSizes has bounded Rows x Columns x 4 + 36, so the product fits.
  channelPlane.SetLength(static_cast<int32_t>(header.Rows * header.Columns));
}

int64_t CompressedLength(const TWordArray& rowByteCounts, uint32_t rows, int channel) {
  if (rows == 0) return 0;
  const uint16_t* counts = rowByteCounts.Data() + static_cast<size_t>(channel) * rows;
  int64_t length = 0;
  for (uint32_t r = 0; r < rows; ++r) length += counts[r];
  return length;
}

void CheckCompressedLengths(const TWordArray& rowByteCounts, uint32_t rows) {
  for (int channel = 0; channel < 4; ++channel)
    if (CompressedLength(rowByteCounts, rows, channel) > INT32_MAX) RaiseFailure("ERangeError", "Range check error");
}

void LoadChannel(TStream& input, const TPsdHeader& header, uint16_t compression, const TWordArray& rowByteCounts,
                 int channel, TByteArray& channelPlane) {
  const int32_t planeSize = channelPlane.Length();
  if (compression == RawData) {
    if (planeSize > 0) input.Read(channelPlane.Data(), planeSize);
    return;
  }
  // The whole channel is one block, decoded as one stream; CheckCompressedLengths bounded it.
  const int32_t sourceCount = static_cast<int32_t>(CompressedLength(rowByteCounts, header.Rows, channel));
  TByteArray compressedBlock;
  compressedBlock.SetLength(sourceCount);
  if (sourceCount == 0) return;
  input.Read(compressedBlock.Data(), sourceCount);
  DecodePackBits(compressedBlock.Data(), channelPlane.Data(), sourceCount, planeSize);
}

}  // namespace varnholt
