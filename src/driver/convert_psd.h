// One conversion: the PSD on the input stream becomes the Filmstrip file at the output path.
#pragma once

#include <string>

#include "common/band_sizes.h"
#include "platform/platform.h"

namespace varnholt {

// Returns normally after a refusal (one line on the console) and after the file is written;
// every other failure leaves as an EFailure, with every buffer of the conversion released.
// The conversion streams: its memory is that of a few bands, whatever the document.
void ConvertPsd(TStream& input, const std::string& outputPath, TConsole& console, TFileSystem& fileSystem,
                const TBandSizes& sizes = TBandSizes{});

}  // namespace varnholt
