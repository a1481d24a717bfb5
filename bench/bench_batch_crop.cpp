// Batch crops of a folder of 4000 x 3000 (12-megapixel) photo-like JPEGs:
// 256 x 256 from the middle of each, written as Targa, on one worker and on
// two, in pictures per second. Decoding dominates; the outputs go to a folder
// under /tmp (a disk, flushed before each rename). "kept" 1 keeps freed
// picture memory in the heap as the command-line mode does; 0 hands it back
// to the system after every picture, as glibc does by default for blocks
// this large. Run by hand:
//   bench_batch_crop --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <turbojpeg.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "PhotoLike.h"
#include "cli/BatchCropper.h"
#include "cli/CommandLineTool.h"
#include "platform/gdi/Bitmap.h"

namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;
constexpr int kPictures = 8;

void WriteJpeg(const std::filesystem::path& path, const gdi::Bitmap& bitmap) {
  tjhandle encoder = tjInitCompress();
  unsigned char* jpeg = nullptr;
  unsigned long size = 0;
  const int failed = tjCompress2(encoder, bitmap.Bits(), kWidth, static_cast<int>(bitmap.Stride()), kHeight,
                                 TJPF_BGR, &jpeg, &size, TJSAMP_420, 90, 0);
  tjDestroy(encoder);
  if (failed) throw std::runtime_error("could not encode the benchmark's pictures");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg), static_cast<long>(size));
  tjFree(jpeg);
}

// The folder of pictures, made once and removed at exit; each picture differs in its noise.
class PictureFolder {
 public:
  PictureFolder() {
    std::string folder = (std::filesystem::temp_directory_path() / "quarvel-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) throw std::runtime_error("mkdtemp failed");
    folder_ = folder;
    auto bitmap = gdi::Bitmap::Create(kWidth, kHeight, false);
    for (int i = 0; i < kPictures; ++i) {
      PaintPhotoLike(bitmap->MutableBits(), kWidth, kHeight - i, bitmap->Stride());
      pictures_.push_back((folder_ / ("photo" + std::to_string(i) + ".jpg")).string());
      WriteJpeg(pictures_.back(), *bitmap);
    }
  }
  ~PictureFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  const std::vector<std::string>& Pictures() const { return pictures_; }
  std::string Out() const { return (folder_ / "out").string(); }

 private:
  std::filesystem::path folder_;
  std::vector<std::string> pictures_;
};

const PictureFolder& Folder() {
  static const PictureFolder folder;
  return folder;
}

// glibc's fixed defaults: every picture's memory goes back to the system when freed.
void ReturnPictureMemory() {
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  mallopt(M_TRIM_THRESHOLD, 128 * 1024);
}

void BM_BatchCrop(benchmark::State& state) {
  if (state.range(1)) {
    CommandLineTool::KeepPictureMemory();
  } else {
    ReturnPictureMemory();
  }
  CropRequest request;
  request.pictures = Folder().Pictures();
  request.width = 256;
  request.height = 256;
  request.placement = {Placement::Center, kWidth / 2, kHeight / 2};
  request.outputDir = Folder().Out();
  const BatchCropper cropper(request, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (cropper.Run([](const std::string&) {}) != 0) {
      state.SkipWithError("a picture failed");
      break;
    }
  }
  state.counters["pictures/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kPictures), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchCrop)
    ->ArgNames({"workers", "kept"})
    ->ArgsProduct({{1, 2}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
