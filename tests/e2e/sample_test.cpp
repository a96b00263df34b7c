// The bundled sample: the committed document is the one its generator writes, and it converts.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e_support.h"
#include "support/walk_sample.h"

namespace varnholt::fixtures {
namespace {

const std::filesystem::path Sample = std::filesystem::path(VARNHOLT_SOURCE_DIR) / "samples" / "walk.psd";

TEST(Sample, IsTheGeneratorsDocument) {
  // Regenerate with: make_walk_sample samples/walk.psd
  EXPECT_EQ(ReadFileBytes(Sample.string()), WritePsd(WalkSampleFixture()));
}

TEST(Sample, ConvertsToItsFramesAndTail) {
  TScratchDirectory scratch;
  std::filesystem::copy_file(Sample, scratch.Path / "walk.psd");
  const TProcessResult run = RunVarnholt({"walk.psd"}, WalkAnswers, scratch.Path);
  EXPECT_EQ(run.Output, Banner + AllPrompts);
  EXPECT_EQ(run.ExitStatus, 0);

  const TPsdFixture psd = WalkSampleFixture();
  Bytes expected;
  for (size_t i = 0; i < size_t{psd.Rows} * psd.Columns; ++i)
    for (const Bytes& plane : psd.Planes) expected.push_back(plane[i]);
  // "Rand", 6 frames, two reserved words, width 32, frame height 24, leading 2, 8 per second.
  const Bytes tail = {0x52, 0x61, 0x6E, 0x64, 0, 0, 0, 6, 0, 0, 0, 0, 0, 32, 0, 24, 0, 2,
                      0,    8,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0,  0, 0};
  expected.insert(expected.end(), tail.begin(), tail.end());
  const Bytes file = ReadFileBytes((scratch.Path / "walk.flm").string());
  EXPECT_EQ(file.size(), 156u * 32 * 4 + 36);
  EXPECT_TRUE(file == expected) << "walk.flm differs from the sample's planes and tail";
  // The sample is an animation with alpha: transparent corners, an opaque ball in every frame.
  EXPECT_EQ(file[3], 0);
  for (uint32_t frame = 0; frame < WalkFrames; ++frame) {
    uint8_t opaque = 0;
    for (uint32_t k = 0; k < WalkColumns; ++k)
      opaque = std::max(opaque, file[((frame * 26 + 12) * WalkColumns + k) * 4 + 3]);
    EXPECT_EQ(opaque, 255) << "frame " << frame;
  }
}

}  // namespace
}  // namespace varnholt::fixtures
