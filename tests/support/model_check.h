// The program's conversion held against the model: ConvertPsd over in-memory doubles, with the
// model's answers typed on the console, compared in its console output, failure and written bytes.
#pragma once

#include <string>

#include "common/band_sizes.h"
#include "support/conversion_model.h"

namespace varnholt::fixtures {

inline const std::string DialoguePrompts =
    "Enter cursor frame height: Enter cursor leading frame height: Enter frames per seconds: ";

// What differs between ConvertPsd, working in pieces of the given sizes, and the model for the
// document; empty when nothing does. A document whose Filmstrip would exceed sizeLimit bytes is
// not converted and gives no difference.
std::string ConversionDifference(const Bytes& document, const TModelAnswers& answers = {},
                                 const TBandSizes& sizes = TBandSizes{}, uint64_t sizeLimit = UINT64_MAX);

}  // namespace varnholt::fixtures
