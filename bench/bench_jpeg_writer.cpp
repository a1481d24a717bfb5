// The JPEG writer against libturbojpeg's own tjCompress2 on the same 4000 x 3000
// photo-like pixels at the same quality and settings (BGR, bottom-up, 4:2:0,
// accurate DCT), plus the time to write the bytes, side by side. The writer
// flushes the file to disk when it replaces one, so the reference is timed
// with and without that flush. Budget256: a 256 x 256 result saved within
// 20 KB, the quality found by halving, encodes and write included. Run by hand:
//   bench_jpeg_writer --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
//     --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "PhotoLike.h"
#include "formats/jpeg/JpegBudget.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"
#include "imaging/cDIBSection.h"

namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;
constexpr int kQuality = 90;
const std::string kFolder = "/tmp";

cDIBSection& Picture() {
  static cDIBSection* dib = [] {
    auto* d = new cDIBSection();
    if (!d->Create(kWidth, kHeight)) throw std::runtime_error("no memory for the bitmap");
    PaintPhotoLike(d->DIBSectionBitsPtr(), kWidth, kHeight, static_cast<size_t>(d->BytesPerScanLine()));
    return d;
  }();
  return *dib;
}

void SetRate(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 3 * kWidth * kHeight);
}

// A new file each time, or the same one replaced.
void Ours(benchmark::State& state, bool replace) {
  cDIBSection& dib = Picture();
  const std::string path = kFolder + "/quarvel-bench-ours.jpg";
  for (auto _ : state) {
    if (!replace) {
      state.PauseTiming();
      std::remove(path.c_str());
      state.ResumeTiming();
    }
    mIntelJPEGLibrary::SaveJPEGinFile(dib, path, kQuality);
  }
  std::remove(path.c_str());
  SetRate(state);
}

void WriteFile(const std::string& path, const unsigned char* bytes, unsigned long size, bool flush) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || write(fd, bytes, size) != static_cast<ssize_t>(size))
    throw std::runtime_error("write failed");
  if (flush) fsync(fd);
  close(fd);
}

void Reference(benchmark::State& state, bool writeFile, bool flush) {
  cDIBSection& dib = Picture();
  const std::string path = kFolder + "/quarvel-bench-reference.jpg";
  tjhandle handle = tjInitCompress();
  unsigned long size = 0;
  for (auto _ : state) {
    unsigned char* bytes = nullptr;
    if (tjCompress2(handle, dib.DIBSectionBitsPtr(), kWidth, dib.BytesPerScanLine(), kHeight, TJPF_BGR,
                    &bytes, &size, TJSAMP_420, kQuality, TJFLAG_BOTTOMUP) != 0) {
      state.SkipWithError(tjGetErrorStr2(handle));
    }
    if (writeFile) WriteFile(path, bytes, size, flush);
    tjFree(bytes);
  }
  tjDestroy(handle);
  std::remove(path.c_str());
  state.counters["file_MB"] = static_cast<double>(size) / 1e6;
  SetRate(state);
}

// A new file each time, as a save under a new name makes.
void Budget256(benchmark::State& state) {
  cDIBSection dib;
  if (!dib.Create(256, 256)) throw std::runtime_error("no memory for the bitmap");
  PaintPhotoLike(dib.DIBSectionBitsPtr(), 256, 256, static_cast<size_t>(dib.BytesPerScanLine()));
  const std::string path = kFolder + "/quarvel-bench-budget.jpg";
  int32_t quality = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(path.c_str());
    state.ResumeTiming();
    quality = JpegBudget::Save(dib, path, 20 * 1024).quality;
  }
  std::remove(path.c_str());
  state.counters["quality"] = quality;
}

}  // namespace

BENCHMARK(Budget256)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, new_file, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Ours, replacing, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Reference, tjCompress2_only, false, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Reference, tjCompress2_and_write, true, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Reference, tjCompress2_write_and_fsync, true, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
