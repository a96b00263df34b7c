// The bundled sample, samples/walk.psd: a small RLE-compressed sprite sheet with alpha.
#pragma once

#include "support/psd_writer.h"

namespace varnholt::fixtures {

// Six frames of a ball rolling across, each 24 rows tall with 2 empty rows below, 32 columns.
constexpr uint32_t WalkFrames = 6;
constexpr uint32_t WalkFrameHeight = 24;
constexpr uint32_t WalkLeading = 2;
constexpr uint32_t WalkColumns = 32;
// The answers that cut the sheet into its frames, played at 8 frames per second.
inline constexpr const char* WalkAnswers = "24\n2\n8\n";

TPsdFixture WalkSampleFixture();

}  // namespace varnholt::fixtures
