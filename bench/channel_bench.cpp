// Micro-benchmarks of the two inner loops of a conversion, in bytes of channel plane per second,
// against memcpy of the same plane measured in the same run as the ceiling. MemcpyPixelBuffer
// copies the pixel buffer instead (in its own bytes): what a channel pass has to rewrite.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "filmstrip/filmstrip_bands.h"
#include "psd/packbits.h"
#include "sprite_sheet.h"
#include "support/psd_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t Side = 4096;
constexpr size_t PlaneBytes = size_t{Side} * Side;

// A channel's compressed block: every row encoded as a paint program does, back to back.
Bytes CompressedBlock(const Bytes& plane) {
  Bytes block;
  for (uint32_t r = 0; r < Side; ++r) {
    const Bytes row = varnholt::fixtures::EncodePackBitsRow(plane.data() + size_t{r} * Side, Side);
    block.insert(block.end(), row.begin(), row.end());
  }
  return block;
}

const Bytes& SpritePlane() {
  static const Bytes plane = varnholt::bench::SpriteSheetRows(Side, 0, Side)[0];
  return plane;
}

const Bytes& NoisePlane() {
  static const Bytes plane = [] {
    Bytes noise(PlaneBytes);
    std::mt19937 random(7);
    for (uint8_t& sample : noise) sample = static_cast<uint8_t>(random());
    return noise;
  }();
  return plane;
}

void Memcpy(benchmark::State& state) {
  const Bytes& source = SpritePlane();
  Bytes destination(PlaneBytes, 1);
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), PlaneBytes);
    benchmark::DoNotOptimize(destination.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PlaneBytes));
}

// The buffer that a channel pass rewrites: four bytes for every plane byte.
void MemcpyPixelBuffer(benchmark::State& state) {
  const Bytes source(PlaneBytes * 4, 3);
  Bytes destination(PlaneBytes * 4, 1);
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), destination.size());
    benchmark::DoNotOptimize(destination.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * destination.size()));
}

void Decode(benchmark::State& state, const Bytes& plane) {
  const Bytes block = CompressedBlock(plane);
  Bytes destination(PlaneBytes, 1);
  for (auto _ : state) {
    varnholt::DecodePackBits(block.data(), destination.data(), static_cast<int32_t>(block.size()),
                             static_cast<int32_t>(PlaneBytes));
    benchmark::DoNotOptimize(destination.data());
    benchmark::ClobberMemory();
  }
  if (destination != plane) state.SkipWithError("decoded plane differs from the original");
  state.counters["block/plane"] = static_cast<double>(block.size()) / PlaneBytes;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PlaneBytes));
}

void DecodePackBitsSprite(benchmark::State& state) { Decode(state, SpritePlane()); }
void DecodePackBitsAllLiteral(benchmark::State& state) { Decode(state, NoisePlane()); }

// One band of the default size: four strips of a quarter megabyte into a megabyte of pixels,
// all in cache, as the conversion interleaves them.
void InterleaveBand(benchmark::State& state) {
  const Bytes& plane = SpritePlane();
  constexpr size_t Band = varnholt::TBandSizes{}.BandSamples;
  const uint8_t* const strips[4] = {plane.data(), plane.data() + Band, plane.data() + 2 * Band, plane.data() + 3 * Band};
  Bytes pixels(4 * Band, 0);
  for (auto _ : state) {
    varnholt::InterleaveBand(strips, Band, pixels.data());
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  for (size_t i = 0; i < Band; i += 4099)
    if (pixels[i * 4 + 2] != strips[2][i]) state.SkipWithError("interleaved sample misplaced");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 4 * Band));
}

}  // namespace

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(MemcpyPixelBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodePackBitsSprite)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodePackBitsAllLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK(InterleaveBand)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
