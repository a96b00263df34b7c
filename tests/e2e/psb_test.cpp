// Large documents (PSB), as the native program and Varnholt.exe under Wine read them alike: an
// 8-byte length of the layer and mask information and, with RLE, 4-byte row byte counts.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace varnholt::fixtures {
namespace {

// 3 rows of 5 columns in five channels. Their rows pack as literals (red), runs (green), a run
// and a literal in either order (blue) and both within one channel (alpha); the fifth channel
// is no part of the pixels. The layer and mask section is not empty: read with a 4-byte length,
// its first half (zero) is taken for the length and its second for the compression code.
TPsdFixture StripPsb(uint16_t compression) {
  TPsdFixture psd;
  psd.Version = 2;
  psd.Channels = 5;
  psd.Rows = 3;
  psd.Columns = 5;
  psd.Compression = compression;
  // Layer info of 4 bytes behind its 8-byte length (no layers, padding), an empty global mask.
  psd.LayerAndMask = {0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0};
  psd.Planes = {
      {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F},
      FilledPlane(3, 5, 0x77),
      {0x30, 0x30, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x35, 0x35, 0x36, 0x36, 0x36, 0x36, 0x36},
      {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x40, 0x80, 0xC0, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00},
      FilledPlane(3, 5, 0xEE),
  };
  return psd;
}

// The first four planes interleaved, then the tail of the answers 1, 1, 24: "Rand", one frame
// (3 rows / 2), two reserved words, width 5, frame height 1, leading 1, 24 per second.
const Bytes StripFilmstrip = {
    0x01, 0x77, 0x30, 0xFF, 0x02, 0x77, 0x30, 0xFF, 0x03, 0x77, 0x30, 0xFF, 0x04, 0x77, 0x31, 0xFF, 0x05, 0x77, 0x32, 0xFF,
    0x06, 0x77, 0x33, 0x00, 0x07, 0x77, 0x34, 0x40, 0x08, 0x77, 0x35, 0x80, 0x09, 0x77, 0x35, 0xC0, 0x0A, 0x77, 0x35, 0xFF,
    0x0B, 0x77, 0x36, 0x00, 0x0C, 0x77, 0x36, 0x00, 0x0D, 0x77, 0x36, 0x00, 0x0E, 0x77, 0x36, 0x00, 0x0F, 0x77, 0x36, 0x00,
    'R',  'a',  'n',  'd',  0,    0,    0,    1,    0,    0,    0,    0,    0,    5,    0,    1,    0,    1,    0,    24,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0};

TEST(Psb, StripConvertsToItsPixelsAndTailBesideIt) {
  // Header 26, two empty sections 8, layer section 8 + 16, code 2; with RLE a table of 15 x 4
  // bytes and 52 bytes of packed rows, raw 5 planes of 15 samples.
  const struct {
    const char* Name;
    uint16_t Compression;
    size_t DocumentSize;
  } cases[] = {{"RLE", 1, 60 + 60 + 52}, {"raw", 0, 60 + 75}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.Name);
    TScratchDirectory scratch;
    const Bytes document = WritePsd(StripPsb(test.Compression));
    ASSERT_EQ(document.size(), test.DocumentSize);
    WriteFileBytes((scratch.Path / "strip.psb").string(), document);

    const TProcessResult run = RunVarnholt({"strip.psb"}, "1\n1\n24\n", scratch.Path);
    EXPECT_EQ(run.Output, Banner + AllPrompts);
    EXPECT_EQ(run.ExitStatus, 0);
    EXPECT_EQ(ReadFileBytes((scratch.Path / "strip.flm").string()), StripFilmstrip);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path), {}), 2);  // strip.psb, strip.flm
  }
}

}  // namespace
}  // namespace varnholt::fixtures
