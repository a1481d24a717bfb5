#include "imaging/Resampler.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "imaging/BilinearRows.h"
#include "imaging/ByteView.h"
#include "imaging/cDIBSection.h"
#include "platform/base/Checked.h"

namespace {

// Below this many destination pixels a second thread costs more than it saves.
constexpr int64_t kParallelPixels = int64_t{1} << 17;
constexpr int64_t kRowsPerClaim = 8;

struct Filling {
  const BilinearRows& rows;
  const uint8_t* source;
  int32_t sourceStride;
  uint8_t* dest;
  int32_t destStride;
};

// Every 2 x 2 block must lie inside the source: its byte view covers x from 0
// to the row length, y from 0 to the height. The first and last block of each
// axis bound all the others.
void CheckReach(const cDIBSection& source, const BilinearRows& rows) {
  const ByteView<const uint8_t> view(source.DIBSectionBits(), source.BytesPerScanLine(), source.Height());
  const int32_t lowByte = checked::Mul(3, rows.LowColumn());
  const int32_t highByte = checked::Add(checked::Mul(3, rows.HighColumn()), 5);
  if (!view.Contains(lowByte, rows.LowRow()) || !view.Contains(highByte, int64_t{rows.HighRow()} + 1)) {
    RaiseOutOfRange();
  }
}

void FillRow(const Filling& fill, BilinearRows::Scratch& scratch, int32_t y) {
  const uint8_t* lower = fill.source + static_cast<int64_t>(fill.rows.LowerRow(y)) * fill.sourceStride +
                         3 * static_cast<int64_t>(fill.rows.LowColumn());
  fill.rows.Blend(lower, lower + fill.sourceStride, y, fill.dest + static_cast<int64_t>(y) * fill.destStride,
                  scratch);
}

// Threads take bands of rows in turn until none is left, so a thread that the
// system holds back leaves more of the picture to the others.
void FillClaimedRows(const Filling& fill, std::atomic<int64_t>& next, int32_t rows) {
  BilinearRows::Scratch scratch = fill.rows.MakeScratch();
  for (;;) {
    const int64_t begin = next.fetch_add(kRowsPerClaim);
    if (begin >= rows) return;
    const auto end = static_cast<int32_t>(std::min<int64_t>(rows, begin + kRowsPerClaim));
    for (auto y = static_cast<int32_t>(begin); y < end; ++y) FillRow(fill, scratch, y);
  }
}

int ThreadsFor(int requested, int64_t pixels, int32_t rows) {
  if (pixels < kParallelPixels) return 1;
  int threads = requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(threads, 1, static_cast<int>(rows));
}

}  // namespace

Resampler::Resampler(int threads, resample::KernelLevel kernels) : threads_(threads), kernels_(kernels) {}

void Resampler::Fill(const cDIBSection& source, cDIBSection& dest) const {
  const int32_t rows = dest.Height();
  if (dest.Width() <= 0 || rows <= 0) return;
  const BilinearRows plan(source.Width(), source.Height(), dest.Width(), rows, kernels_);
  CheckReach(source, plan);
  ByteView<uint8_t> destView(dest.DIBSectionBitsPtr(), dest.BytesPerScanLine(), rows);
  if (!destView.Contains(3 * int64_t{dest.Width()} - 1, rows - 1)) RaiseOutOfRange();
  const Filling fill{plan, source.DIBSectionBits(), source.BytesPerScanLine(), dest.DIBSectionBitsPtr(),
                     dest.BytesPerScanLine()};
  const int threads = ThreadsFor(threads_, int64_t{dest.Width()} * rows, rows);
  // Every band of rows is written by exactly one thread; this one works too.
  std::atomic<int64_t> next{0};
  std::vector<std::future<void>> others;
  for (int i = 1; i < threads; ++i) {
    others.push_back(std::async(std::launch::async, FillClaimedRows, std::cref(fill), std::ref(next), rows));
  }
  FillClaimedRows(fill, next, rows);
  for (auto& helper : others) helper.get();
}
