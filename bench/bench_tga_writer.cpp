// The Targa writer on a 4000 x 3000 photo-like picture, capture included, in
// MB/s of picture data (36 MB per save). Files go to /tmp (a disk) and to
// /dev/shm (memory), so the disk's share is plain; replacing a file adds the
// wait for the disk. The encoder alone is measured apart. Run by hand:
//   bench_tga_writer --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "PhotoLike.h"
#include "formats/tga/SaveTGA.h"
#include "platform/base/ByteSink.h"
#include "platform/gdi/MemorySurface.h"

namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;
constexpr size_t kPictureBytes = 3ull * kWidth * kHeight;

gdi::MemorySurface& Surface() {
  static gdi::MemorySurface* surface = [] {
    auto* s = new gdi::MemorySurface(kWidth, kHeight);
    PaintPhotoLike(s->Image().MutableBits(), kWidth, kHeight, s->Image().Stride());
    return s;
  }();
  return *surface;
}

// Counts what the encoder hands over and keeps nothing.
class CountingSink final : public platform::ByteSink {
 public:
  void Write(std::span<const uint8_t> bytes) override { count_ += bytes.size(); }
  size_t Count() const { return count_; }

 private:
  size_t count_ = 0;
};

void SetRate(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPictureBytes));
}

enum class Target { NewFile, Replace };

// A new file each time, or the same file replaced, which waits for the disk.
void SaveToFile(benchmark::State& state, const char* folder, bool compress, Target target) {
  gdi::MemorySurface& surface = Surface();
  const std::string path = std::string(folder) + "/quarvel-bench-map.tga";
  SaveTGA().SaveTGAinFile(path, surface, compress);
  for (auto _ : state) {
    if (target == Target::NewFile) {
      state.PauseTiming();
      std::remove(path.c_str());
      state.ResumeTiming();
    }
    SaveTGA().SaveTGAinFile(path, surface, compress);
  }
  std::remove(path.c_str());
  SetRate(state);
}

void EncodeOnly(benchmark::State& state, bool compress) {
  gdi::MemorySurface& surface = Surface();
  std::vector<uint8_t> pixels(kPictureBytes);
  for (int32_t y = 0; y < kHeight; ++y) {
    const uint8_t* row = surface.Image().Row(kHeight - 1 - y);
    std::copy(row, row + 3 * kWidth, pixels.begin() + static_cast<ptrdiff_t>(y) * 3 * kWidth);
  }
  size_t fileBytes = 0;
  for (auto _ : state) {
    CountingSink sink;
    SaveTGA::EncodeTGA(sink, pixels, kWidth, kHeight, compress);
    fileBytes = sink.Count();
  }
  state.counters["file_MB"] = static_cast<double>(fileBytes) / 1e6;
  SetRate(state);
}

}  // namespace

#define SAVE_CASE(name, folder, compress, target) \
  BENCHMARK_CAPTURE(SaveToFile, name, folder, compress, target)->Unit(benchmark::kMillisecond)->UseRealTime()

SAVE_CASE(uncompressed_disk, "/tmp", false, Target::NewFile);
SAVE_CASE(rle_disk, "/tmp", true, Target::NewFile);
SAVE_CASE(uncompressed_disk_replace, "/tmp", false, Target::Replace);
SAVE_CASE(rle_disk_replace, "/tmp", true, Target::Replace);
SAVE_CASE(uncompressed_memory_fs, "/dev/shm", false, Target::NewFile);
SAVE_CASE(rle_memory_fs, "/dev/shm", true, Target::NewFile);
BENCHMARK_CAPTURE(EncodeOnly, uncompressed, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOnly, rle, true)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
