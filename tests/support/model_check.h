// The program's conversion held against the model: ConvertPsd over in-memory doubles, with the
// model's answers typed on the console, compared in its console output, failure and saved bytes.
#pragma once

#include <string>

#include "support/conversion_model.h"

namespace varnholt::fixtures {

inline const std::string DialoguePrompts =
    "Enter cursor frame height: Enter cursor leading frame height: Enter frames per seconds: ";

// What differs between ConvertPsd and the model for the document; empty when nothing does.
// memoryLimit must be the ceiling the platform's page allocation applies to one block.
std::string ConversionDifference(const Bytes& document, const TModelAnswers& answers = {},
                                 uint64_t memoryLimit = UINT64_MAX);

}  // namespace varnholt::fixtures
