#include <gtest/gtest.h>

#include "common/byte_order.h"

namespace varnholt {
namespace {

TEST(ByteOrder, SwapsWordsLongsAndArraysInPlace) {
  EXPECT_EQ(SwapWord(0x1234), 0x3412);
  EXPECT_EQ(SwapLong(0x12345678u), 0x78563412u);
  uint16_t words[3] = {0x0005, 0xFF00, 0xABCD};
  SwapWordArray(words, 2);
  EXPECT_EQ(words[0], 0x0500);
  EXPECT_EQ(words[1], 0x00FF);
  EXPECT_EQ(words[2], 0xABCD);  // beyond the count: untouched
  SwapWordArray(words, 0);
  EXPECT_EQ(words[0], 0x0500);
}

}  // namespace
}  // namespace varnholt
