#include "driver/convert_psd.h"

#include "filmstrip/frame_dialogue.h"
#include "filmstrip/pixel_buffer.h"
#include "psd/channel_plane.h"
#include "psd/psd_header.h"

namespace varnholt {

void ConvertPsd(TStream& input, const std::string& outputPath, TConsole& console, TFileSystem& fileSystem) {
  TPsdHeader header;
  if (!ReadPsdHeader(input, header)) return console.WriteLine(InvalidPsdRefusal);
  if (const char* refusal = TestPsdHeader(header)) return console.WriteLine(refusal);
  CheckPsdSizes(header);

  // Colour mode data, image resources, layer and mask information: never read.
  for (int section = 0; section < 3; ++section)
    if (!SkipSection(input)) return console.WriteLine(InvalidPsdRefusal);

  // Buffers are released in the reverse order of their declaration: the pixel buffer first,
  // then the row byte counts, then the plane, on every way out (a finished channel loop gives
  // the plane back before the save).
  TByteArray channelPlane;
  CreateChannelPlane(header, channelPlane);

  uint16_t compression = 0;
  if (!ReadCompressionCode(input, compression)) return console.WriteLine(InvalidPsdRefusal);
  if (compression != RawData && compression != PackBitsData) return console.WriteLine(CompressionRefusal);

  TWordArray rowByteCounts;
  if (compression == PackBitsData) {
    ReadRowByteCounts(input, header, rowByteCounts);
    CheckCompressedLengths(rowByteCounts, header.Rows);
  }

  const TFilmstripTail tail = AskFrameGeometry(console, header.Rows, header.Columns);

  TMemoryStream pixelBuffer;
  CreatePixelBuffer(pixelBuffer, header.Rows, header.Columns);
  for (int channel = 0; channel < 4; ++channel) {
    LoadChannel(input, header, compression, rowByteCounts, channel, channelPlane);
    InterleaveChannel(pixelBuffer, channelPlane.Data(), channel, header.Rows, header.Columns);
  }
  // The plane is done with: its pages go back before the save needs fresh ones for the file.
  channelPlane.Release();
  SaveFilmstrip(pixelBuffer, tail, fileSystem, outputPath);
}

}  // namespace varnholt
