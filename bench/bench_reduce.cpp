// A 4096 x 4096 region reduced to 256 x 256 by each method, on the pixels of
// a 16-colour tile map (16-pixel tiles with single stray pixels, as game maps
// are drawn) and of a photo-like picture. The goals: majority at most 3 x the
// area average's time on the same pixels, linear light at most 1.5 x.
// "threads" 0 is one per core, as the program runs; 1 shows the work itself.
// Run by hand:
//   bench_reduce --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "PhotoLike.h"
#include "imaging/AreaAverager.h"
#include "imaging/MajorityPicker.h"

namespace {

constexpr int32_t kSource = 4096;
constexpr int32_t kResult = 256;
constexpr int32_t kTile = 16;

struct Pixels {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(3 * size_t{kSource} * kSource);
  PixelRows<const uint8_t> Rows() const { return {bytes.data(), 3 * ptrdiff_t{kSource}, kSource, kSource}; }
};

const Pixels& TileMap() {
  static const Pixels map = [] {
    Pixels p;
    std::mt19937 generator(27);
    uint32_t palette[16];
    for (uint32_t& c : palette) c = generator() & 0xFFFFFF;
    std::vector<uint8_t> tiles(size_t{kSource / kTile} * (kSource / kTile));
    for (uint8_t& t : tiles) t = static_cast<uint8_t>(generator() % 16);
    for (int32_t y = 0; y < kSource; ++y) {
      for (int32_t x = 0; x < kSource; ++x) {
        const size_t tile = size_t{static_cast<uint32_t>(y / kTile)} * (kSource / kTile) + x / kTile;
        const uint32_t colour = palette[generator() % 61 == 0 ? generator() % 16 : tiles[tile]];
        uint8_t* pixel = &p.bytes[3 * (size_t{static_cast<uint32_t>(y)} * kSource + x)];
        pixel[0] = static_cast<uint8_t>(colour);
        pixel[1] = static_cast<uint8_t>(colour >> 8);
        pixel[2] = static_cast<uint8_t>(colour >> 16);
      }
    }
    return p;
  }();
  return map;
}

const Pixels& Photo() {
  static const Pixels photo = [] {
    Pixels p;
    PaintPhotoLike(p.bytes.data(), kSource, kSource, 3 * kSource);
    return p;
  }();
  return photo;
}

const Pixels& Source(int64_t which) { return which == 0 ? TileMap() : Photo(); }

template <typename Fill>
void Run(benchmark::State& state, const Fill& fill) {
  const Pixels& source = Source(state.range(0));
  std::vector<uint8_t> dest(3 * size_t{kResult} * kResult);
  const PixelRows<uint8_t> rows{dest.data(), 3 * ptrdiff_t{kResult}, kResult, kResult};
  for (auto _ : state) {
    fill(static_cast<int>(state.range(1)), source.Rows(), rows);
    benchmark::DoNotOptimize(dest.data());
  }
  state.SetLabel(state.range(0) == 0 ? "tile map" : "photo");
}

void Area(benchmark::State& state) {
  Run(state, [](int threads, auto source, auto dest) { AreaAverager(threads).Fill(source, dest); });
}

void Linear(benchmark::State& state) {
  Run(state, [](int threads, auto source, auto dest) { AreaAverager(threads, true).Fill(source, dest); });
}

void Majority(benchmark::State& state) {
  Run(state, [](int threads, auto source, auto dest) { MajorityPicker(threads).Fill(source, dest); });
}

void Nearest(benchmark::State& state) {
  Run(state, [](int, auto source, auto dest) { NearestSampler::Fill(source, dest); });
}

// {picture: 0 tile map, 1 photo-like} x {threads}
void Args(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{0, 1}, {0, 1}})
      ->ArgNames({"photo", "threads"})
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
}

}  // namespace

BENCHMARK(Area)->Apply(Args);
BENCHMARK(Linear)->Apply(Args);
BENCHMARK(Majority)->Apply(Args);
BENCHMARK(Nearest)->Apply(Args);

BENCHMARK_MAIN();
