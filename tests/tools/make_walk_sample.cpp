// Writes the bundled sample document: make_walk_sample samples/walk.psd
#include <cstdio>

#include "support/walk_sample.h"

int main(int argc, char** argv) {
  using namespace varnholt::fixtures;
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_walk_sample <output.psd>\n");
    return 2;
  }
  WriteFileBytes(argv[1], WritePsd(WalkSampleFixture()));
  return 0;
}
