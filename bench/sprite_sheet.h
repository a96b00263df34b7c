// Sprite-sheet content for the benchmarks: what a paint program's sheet of animation frames holds.
#pragma once

#include <cstdint>
#include <vector>

namespace varnholt::bench {

// Four planes (red, green, blue, alpha) of `rows` rows from `firstRow` on of a sheet `columns`
// pixels wide, made of 128 x 128 frames laid out left to right, top to bottom: transparent
// background, a shaded body with a hard outline and soft edges, a noisy texture patch, a
// half-transparent shadow and scattered sparks. A row's samples depend only on its number and the
// width, so a sheet can be made band by band, and of any height.
std::vector<std::vector<uint8_t>> SpriteSheetRows(uint32_t columns, uint32_t firstRow, uint32_t rows);

}  // namespace varnholt::bench
