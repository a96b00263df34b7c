#include "sprite_sheet.h"

#include <algorithm>
#include <cmath>

namespace varnholt::bench {

namespace {

constexpr uint32_t FrameSize = 128;

uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ seed * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  return h;
}

uint8_t Clamp(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

}  // namespace

std::vector<std::vector<uint8_t>> SpriteSheetRows(uint32_t columns, uint32_t firstRow, uint32_t rows) {
  std::vector<std::vector<uint8_t>> planes(4, std::vector<uint8_t>(size_t{rows} * columns, 0));
  const uint32_t framesAcross = columns / FrameSize;
  for (uint32_t y = firstRow; y < firstRow + rows; ++y) {
    for (uint32_t x = 0; x < columns; ++x) {
      const uint32_t frame = (y / FrameSize) * framesAcross + x / FrameSize;
      const double u = x % FrameSize + 0.5;
      const double v = y % FrameSize + 0.5;
      // The body bobs and breathes from frame to frame.
      const double phase = (frame % 16) * (2 * M_PI / 16);
      const double cx = 64 + 10 * std::sin(phase);
      const double cy = 56 + 6 * std::cos(phase);
      const double rx = 34 + 4 * std::sin(phase * 2);
      const double ry = 40;
      const double body = std::hypot((u - cx) / rx, (v - cy) / ry);  // 1 on the outline
      const double edge = (1 - body) * std::min(rx, ry);               // pixels inside the edge
      const double shadow = std::hypot((u - 64) / 40, (v - 112) / 8);

      int r = 0, g = 0, b = 0, a = 0;
      if (edge > -0.5) {
        if (edge < 2.5) {
          r = 40, g = 24, b = 16;  // dark outline, two pixels wide
        } else {
          // Shaded in bands: flat runs a few pixels long, a new shade every 4 rows.
          const int band = static_cast<int>((u - cx + rx) / 6);
          const int row = static_cast<int>(v) / 4;
          r = 200 - 6 * band + 2 * row;
          g = 120 + 3 * row - 4 * band;
          b = 60 + (frame % 7) * 10;
          // A textured patch: noisy samples that no run can take.
          if (std::abs(u - cx) < 12 && v > cy && v < cy + 20) {
            const int noise = static_cast<int>(Hash(x, y, 1) % 25) - 12;
            r += noise, g += noise / 2, b -= noise;
          }
        }
        a = edge >= 0.5 ? 255 : static_cast<int>(std::lround((edge + 0.5) * 255));
      } else if (shadow < 1) {
        a = 96 - static_cast<int>(shadow * 64);  // soft, half-transparent shadow
      } else if (Hash(x, y, 2) % 997 == 0) {
        r = 255, g = 240, b = 160, a = 128 + static_cast<int>(Hash(x, y, 3) % 128);  // a spark
      }
      const size_t at = size_t{y - firstRow} * columns + x;
      planes[0][at] = Clamp(r);
      planes[1][at] = Clamp(g);
      planes[2][at] = Clamp(b);
      planes[3][at] = Clamp(a);
    }
  }
  return planes;
}

}  // namespace varnholt::bench
