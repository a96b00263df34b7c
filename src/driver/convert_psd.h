// One conversion: the PSD on the input stream becomes the Filmstrip file at the output path.
#pragma once

#include <string>

#include "platform/platform.h"

namespace varnholt {

// Returns normally after a refusal (one line on the console) and after the file is saved; every
// other failure leaves as an EFailure, with every buffer of the conversion released.
void ConvertPsd(TStream& input, const std::string& outputPath, TConsole& console, TFileSystem& fileSystem);

}  // namespace varnholt
