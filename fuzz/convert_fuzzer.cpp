// Whole conversions of arbitrary documents, PSD and PSB, from an in-memory stream with fixed
// answers to an in-memory file system, in bands and reads of sizes that the document's bytes
// choose. Every run must end as the model of the conversion says: the same refusal line, the
// same failure, or the same Filmstrip bytes written once; anything else aborts.
#include <cstdio>
#include <cstdlib>

#include "fuzz_memory.h"
#include "support/model_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace varnholt::fixtures;
  // Sizes from 1 upwards, taken from the bytes without using them up, so that bands split
  // packets, rows and channel ends at every place; a band of several rows now and then.
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  const varnholt::TBandSizes sizes = {1 + hash % 23, 1 + (hash >> 8) % 37, 1 + (hash >> 16) % 301};
  // Filmstrips beyond the ceiling are left out: the model builds the whole file in memory.
  const std::string difference =
      ConversionDifference(Bytes(data, data + size), {}, sizes, varnholt::fuzzing::BlockCeiling);
  if (!difference.empty()) {
    std::fprintf(stderr, "the conversion differs from its model: %s\n", difference.c_str());
    std::abort();
  }
  return 0;
}
