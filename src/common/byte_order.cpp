#include "common/byte_order.h"

namespace varnholt {

void SwapWordArray(uint16_t* words, int32_t count) {
  for (int32_t i = 0; i < count; ++i) words[i] = SwapWord(words[i]);
}

}  // namespace varnholt
