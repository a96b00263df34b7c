// The interleave works on whole pixels for speed: each sample must still land in its own byte and
// no other byte of the buffer may change.
#include <gtest/gtest.h>

#include <vector>

#include "filmstrip/pixel_buffer.h"

namespace varnholt {
namespace {

TEST(InterleaveChannel, PutsEachSampleInItsByteAndChangesNoOther) {
  // Sizes around the widths that vector code takes at once, so the scalar remainder is covered too.
  for (const auto& [rows, columns] : std::vector<std::pair<uint32_t, uint32_t>>{{3, 5}, {1, 1}, {2, 32}, {7, 33}}) {
    SCOPED_TRACE(testing::Message() << rows << " x " << columns);
    const size_t samples = size_t{rows} * columns;
    TMemoryStream pixelBuffer;
    CreatePixelBuffer(pixelBuffer, rows, columns);
    std::vector<uint8_t> expected(static_cast<size_t>(pixelBuffer.Size()));
    for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<uint8_t>(0xA0 + i % 7);
    std::copy(expected.begin(), expected.end(), pixelBuffer.Memory());
    for (int channel : {2, 0, 3, 1}) {
      std::vector<uint8_t> plane(samples);
      for (size_t i = 0; i < samples; ++i) plane[i] = static_cast<uint8_t>(i * 13 + channel);
      InterleaveChannel(pixelBuffer, plane.data(), channel, rows, columns);
      for (size_t i = 0; i < samples; ++i) expected[i * 4 + channel] = plane[i];
      ASSERT_EQ(std::vector<uint8_t>(pixelBuffer.Memory(), pixelBuffer.Memory() + pixelBuffer.Size()), expected);
    }
  }
}

}  // namespace
}  // namespace varnholt
