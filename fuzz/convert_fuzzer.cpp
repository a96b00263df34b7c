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
  const varnholt::TBandSizes sizes = {1 + hash % 23, 1 + (hash >> 8) % 37, 1 + (hash >> 16) % 4001};
  // Filmstrips beyond a quarter megabyte are left out: the model builds the whole file in memory
  // a byte at a time, and their pieces would pass between the threads thousands of times.
  const std::string difference = ConversionDifference(Bytes(data, data + size), {}, sizes, 256u << 10);
  if (!difference.empty()) {
    std::fprintf(stderr, "the conversion differs from its model: %s\n", difference.c_str());
    std::abort();
  }
  return 0;
}
