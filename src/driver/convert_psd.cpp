#include "driver/convert_psd.h"

#include <algorithm>

#include "filmstrip/filmstrip_bands.h"
#include "filmstrip/frame_dialogue.h"
#include "psd/channel_bands.h"
#include "psd/psd_header.h"

namespace varnholt {

void ConvertPsd(TStream& input, const std::string& outputPath, TConsole& console, TFileSystem& fileSystem,
                const TBandSizes& sizes) {
  TPsdHeader header;
  if (!ReadPsdHeader(input, header)) return console.WriteLine(InvalidPsdRefusal);
  if (const char* refusal = TestPsdHeader(header)) return console.WriteLine(refusal);
  CheckPsdSizes(header);

  // Colour mode data, image resources, layer and mask information: never read. A large
  // document gives the last one an 8-byte length.
  if (!SkipSection(input) || !SkipSection(input)) return console.WriteLine(InvalidPsdRefusal);
  if (!(IsLargeDocument(header) ? SkipLargeSection(input) : SkipSection(input)))
    return console.WriteLine(InvalidPsdRefusal);

  TChannelData data;
  if (!ReadCompressionCode(input, data.Compression)) return console.WriteLine(InvalidPsdRefusal);
  if (data.Compression != RawData && data.Compression != PackBitsData) return console.WriteLine(CompressionRefusal);
  if (data.Compression == PackBitsData) {
    data.CompressedLengths = SumCompressedLengths(input, header);
    CheckCompressedLengths(data.CompressedLengths);
  }
  data.Start = input.Position();
  data.Samples = int64_t{header.Rows} * header.Columns;

  const TFilmstripTail tail = AskFrameGeometry(console, header.Rows, header.Columns);

  // Every buffer is had before the file is created, so that a lack of memory leaves no file.
  TChannelReader readers[4];
  StartChannelReaders(data, sizes, readers);
  TFilmstripWriter writer;
  StartFilmstrip(writer, sizes);
  CreateFilmstripFile(writer, fileSystem, outputPath);
  for (int64_t done = 0; done < data.Samples;) {
    const size_t count = static_cast<size_t>(std::min<int64_t>(data.Samples - done, static_cast<int64_t>(sizes.BandSamples)));
    const uint8_t* strips[4];
    for (size_t c = 0; c < 4; ++c) strips[c] = ReadChannelBand(input, readers[c], count, c == 0 ? nullptr : strips[c - 1]);
    WriteFilmstripBand(writer, strips, count);
    done += static_cast<int64_t>(count);
  }
  FinishFilmstrip(writer, tail);
}

}  // namespace varnholt
