// The fuzzers' page allocation: plain heap blocks, so that AddressSanitizer guards every buffer of
// the conversion, and a ceiling per block, above which the allocation fails as memory running
// short would. The ceiling keeps each run small and fast and sends the fuzzer down the paths
// that report a lack of memory.
#pragma once

#include <cstddef>

namespace varnholt::fuzzing {

constexpr size_t BlockCeiling = size_t{4} << 20;

}  // namespace varnholt::fuzzing
