#include "support/walk_sample.h"

namespace varnholt::fixtures {

TPsdFixture WalkSampleFixture() {
  TPsdFixture psd;
  psd.Rows = WalkFrames * (WalkFrameHeight + WalkLeading);
  psd.Columns = WalkColumns;
  psd.Compression = 1;
  psd.Planes = SpriteSheetPlanes(WalkFrames, WalkFrameHeight, WalkLeading, WalkColumns);
  return psd;
}

}  // namespace varnholt::fixtures
