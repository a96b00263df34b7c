#include <gtest/gtest.h>

#include "common/byte_order.h"

namespace varnholt {
namespace {

TEST(ByteOrder, SwapsWordsAndLongs) {
  EXPECT_EQ(SwapWord(0x1234), 0x3412);
  EXPECT_EQ(SwapLong(0x12345678u), 0x78563412u);
}

}  // namespace
}  // namespace varnholt
