// Sprite-sheet content for the benchmarks: what a paint program's sheet of animation frames holds.
#pragma once

#include <cstdint>
#include <vector>

namespace varnholt::bench {

// Four planes (red, green, blue, alpha) of a square sheet `size` pixels wide, made of 128 x 128
// frames: transparent background, a shaded body with a hard outline and soft edges, a noisy
// texture patch, a half-transparent shadow and scattered sparks. The same size gives the same bytes.
std::vector<std::vector<uint8_t>> SpriteSheetContent(uint32_t size);

}  // namespace varnholt::bench
