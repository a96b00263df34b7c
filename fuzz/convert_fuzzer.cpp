// Whole conversions of arbitrary documents, from an in-memory stream with fixed answers to an
// in-memory file system. Every run must end as the model of the conversion says: the same
// refusal line, the same failure, or the same Filmstrip bytes saved once; anything else aborts.
#include <cstdio>
#include <cstdlib>

#include "fuzz_memory.h"
#include "support/model_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnholt::fixtures;
  const std::string difference = ConversionDifference(Bytes(data, data + size), {}, varnholt::fuzzing::BlockCeiling);
  if (!difference.empty()) {
    std::fprintf(stderr, "the conversion differs from its model: %s\n", difference.c_str());
    std::abort();
  }
  return 0;
}
