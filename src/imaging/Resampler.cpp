#include "imaging/Resampler.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "imaging/ByteView.h"
#include "imaging/cDIBSection.h"
#include "platform/base/Checked.h"

namespace {

using resample::Columns;
using resample::RowKernels;
using resample::RowWeight;

// Below this many destination pixels a second thread costs more than it saves.
constexpr int64_t kParallelPixels = int64_t{1} << 17;
constexpr int64_t kRowsPerClaim = 8;

// Where each destination column (or row) samples the source: the whole part
// of the position and the weights.
struct Axis {
  std::vector<int32_t> whole;
  std::vector<RowWeight> weight;
};

int32_t FloorToInt32(float p) {
  double whole = std::floor(p);
  if (whole < INT32_MIN || whole > INT32_MAX) {
    throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  }
  return static_cast<int32_t>(whole);
}

// Scale and positions are single precision, computed through doubles.
Axis MapAxis(int32_t sourceSize, int32_t destSize) {
  const float k = static_cast<float>(static_cast<double>(checked::Sub(sourceSize, 1)) / destSize);
  Axis axis;
  axis.whole.resize(destSize);
  axis.weight.resize(destSize);
  for (int32_t i = 0; i < destSize; ++i) {
    const float p = static_cast<float>(static_cast<double>(k) * i);
    const int32_t whole = FloorToInt32(p);
    const float f = static_cast<float>(static_cast<double>(p) - whole);
    axis.whole[i] = whole;
    axis.weight[i] = {1.0 - static_cast<double>(f), f, resample::FixedFraction(f)};
  }
  return axis;
}

// Everything a row needs, worked out once. The source bytes a row blends
// vertically are either one contiguous run (enlarging, mild reduction) or,
// when most source columns would be skipped, the two pixels each destination
// column samples, gathered side by side.
struct Plan {
  const uint8_t* source;
  int32_t sourceStride;
  uint8_t* dest;
  int32_t destStride;
  Axis sourceColumns;
  Axis rows;
  bool gathered;
  int32_t runStart;    // first source byte of the contiguous run
  int32_t blendCount;  // vertically blended bytes per row
  Columns columns;
};

// Every 2 x 2 block must lie inside the source: its byte view covers x from 0
// to the row length, y from 0 to the height. The first and last block of each
// axis bound all the others.
void CheckReach(const ByteView<const uint8_t>& source, const Axis& columns, const Axis& rows) {
  auto [lowColumn, highColumn] = std::minmax_element(columns.whole.begin(), columns.whole.end());
  auto [lowRow, highRow] = std::minmax_element(rows.whole.begin(), rows.whole.end());
  const int32_t lowByte = checked::Mul(3, *lowColumn);
  const int32_t highByte = checked::Add(checked::Mul(3, *highColumn), 5);
  if (!source.Contains(lowByte, *lowRow) || !source.Contains(highByte, int64_t{*highRow} + 1)) {
    RaiseOutOfRange();
  }
}

void PlanColumns(Plan& plan) {
  const std::vector<int32_t>& whole = plan.sourceColumns.whole;
  const auto width = static_cast<int32_t>(whole.size());
  const auto [low, high] = std::minmax_element(whole.begin(), whole.end());
  const int64_t runBytes = 3 * (int64_t{*high} + 2 - *low);
  const int64_t gatheredBytes = 6 * int64_t{width};
  plan.gathered = runBytes > 2 * gatheredBytes;
  plan.runStart = 3 * *low;
  plan.blendCount = static_cast<int32_t>(plan.gathered ? gatheredBytes : runBytes);
  Columns& columns = plan.columns;
  columns.offset.resize(width);
  columns.w0.resize(width);
  columns.w1.resize(width);
  columns.fixed.resize(width);
  for (int32_t x = 0; x < width; ++x) {
    columns.offset[x] = plan.gathered ? 6 * x : 3 * (whole[x] - *low);
    columns.w0[x] = plan.sourceColumns.weight[x].w0;
    columns.w1[x] = plan.sourceColumns.weight[x].w1;
    columns.fixed[x] = plan.sourceColumns.weight[x].fixed;
  }
}

Plan MakePlan(const cDIBSection& source, cDIBSection& dest) {
  ByteView<const uint8_t> sourceView(source.DIBSectionBits(), source.BytesPerScanLine(), source.Height());
  Plan plan{};
  plan.source = source.DIBSectionBits();
  plan.sourceStride = source.BytesPerScanLine();
  plan.dest = dest.DIBSectionBitsPtr();
  plan.destStride = dest.BytesPerScanLine();
  plan.sourceColumns = MapAxis(source.Width(), dest.Width());
  plan.rows = MapAxis(source.Height(), dest.Height());
  CheckReach(sourceView, plan.sourceColumns, plan.rows);
  ByteView<uint8_t> destView(dest.DIBSectionBitsPtr(), plan.destStride, dest.Height());
  if (!destView.Contains(3 * int64_t{dest.Width()} - 1, dest.Height() - 1)) RaiseOutOfRange();
  PlanColumns(plan);
  return plan;
}

// Per-thread buffers: one vertically blended row (with the slack the kernels
// may read past its end) and, when gathering, the gathered source bytes.
struct RowBuffers {
  explicit RowBuffers(const Plan& plan)
      : blended(plan.blendCount + resample::kBlendSlack),
        lower(plan.gathered ? plan.blendCount : 0),
        upper(plan.gathered ? plan.blendCount : 0) {}
  std::vector<uint8_t> blended;
  std::vector<uint8_t> lower;
  std::vector<uint8_t> upper;
};

void GatherPairs(const Plan& plan, const uint8_t* row, uint8_t* out) {
  const std::vector<int32_t>& whole = plan.sourceColumns.whole;
  for (size_t x = 0; x < whole.size(); ++x) std::memcpy(out + 6 * x, row + 3 * whole[x], 6);
}

void FillRow(const Plan& plan, const RowKernels& kernels, RowBuffers& buffers, int32_t y) {
  const uint8_t* lower = plan.source + static_cast<int64_t>(plan.rows.whole[y]) * plan.sourceStride;
  const uint8_t* upper = lower + plan.sourceStride;
  if (plan.gathered) {
    GatherPairs(plan, lower, buffers.lower.data());
    GatherPairs(plan, upper, buffers.upper.data());
    lower = buffers.lower.data();
    upper = buffers.upper.data();
  } else {
    lower += plan.runStart;
    upper += plan.runStart;
  }
  kernels.Vertical(lower, upper, plan.blendCount, plan.rows.weight[y], buffers.blended.data());
  kernels.Horizontal(buffers.blended.data(), plan.dest + static_cast<int64_t>(y) * plan.destStride);
}

// Threads take bands of rows in turn until none is left, so a thread that the
// system holds back leaves more of the picture to the others.
void FillClaimedRows(const Plan& plan, const RowKernels& kernels, std::atomic<int64_t>& next, int32_t rows) {
  RowBuffers buffers(plan);
  for (;;) {
    const int64_t begin = next.fetch_add(kRowsPerClaim);
    if (begin >= rows) return;
    const auto end = static_cast<int32_t>(std::min<int64_t>(rows, begin + kRowsPerClaim));
    for (auto y = static_cast<int32_t>(begin); y < end; ++y) FillRow(plan, kernels, buffers, y);
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
  const Plan plan = MakePlan(source, dest);
  const std::unique_ptr<RowKernels> kernels = RowKernels::Make(kernels_, plan.columns);
  const int threads = ThreadsFor(threads_, int64_t{dest.Width()} * rows, rows);
  // Every band of rows is written by exactly one thread; this one works too.
  std::atomic<int64_t> next{0};
  std::vector<std::future<void>> others;
  for (int i = 1; i < threads; ++i) {
    others.push_back(std::async(std::launch::async, FillClaimedRows, std::cref(plan), std::cref(*kernels),
                                std::ref(next), rows));
  }
  FillClaimedRows(plan, *kernels, next, rows);
  for (auto& helper : others) helper.get();
}
