#include "imaging/BilinearRows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/base/AppError.h"
#include "platform/base/Checked.h"

namespace {

int32_t FloorToInt32(float p) {
  double whole = std::floor(p);
  if (whole < INT32_MIN || whole > INT32_MAX) {
    throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  }
  return static_cast<int32_t>(whole);
}

}  // namespace

// Scale and positions are single precision, computed through doubles.
BilinearRows::Axis BilinearRows::MapAxis(int32_t sourceSize, int32_t destSize) {
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

BilinearRows::BilinearRows(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth, int32_t destHeight,
                           resample::KernelLevel kernels)
    : columns_(MapAxis(sourceWidth, destWidth)), rows_(MapAxis(sourceHeight, destHeight)) {
  const auto [lowColumn, highColumn] = std::minmax_element(columns_.whole.begin(), columns_.whole.end());
  const auto [lowRow, highRow] = std::minmax_element(rows_.whole.begin(), rows_.whole.end());
  lowColumn_ = *lowColumn;
  highColumn_ = *highColumn;
  lowRow_ = *lowRow;
  highRow_ = *highRow;
  const int64_t runBytes = 3 * (int64_t{highColumn_} + 2 - lowColumn_);
  const int64_t gatheredBytes = 6 * int64_t{destWidth};
  gathered_ = runBytes > 2 * gatheredBytes;
  blendCount_ = static_cast<int32_t>(gathered_ ? gatheredBytes : runBytes);
  resample::Columns& columns = blendColumns_;
  columns.offset.resize(destWidth);
  columns.w0.resize(destWidth);
  columns.w1.resize(destWidth);
  columns.fixed.resize(destWidth);
  for (int32_t x = 0; x < destWidth; ++x) {
    columns.offset[x] = gathered_ ? 6 * x : 3 * (columns_.whole[x] - lowColumn_);
    columns.w0[x] = columns_.weight[x].w0;
    columns.w1[x] = columns_.weight[x].w1;
    columns.fixed[x] = columns_.weight[x].fixed;
  }
  kernels_ = resample::RowKernels::Make(kernels, blendColumns_);
}

// The blended row has the slack the kernels may read past its end.
BilinearRows::Scratch BilinearRows::MakeScratch() const {
  const size_t gatheredBytes = gathered_ ? static_cast<size_t>(blendCount_) : 0;
  return {std::vector<uint8_t>(static_cast<size_t>(blendCount_) + resample::kBlendSlack),
          std::vector<uint8_t>(gatheredBytes), std::vector<uint8_t>(gatheredBytes)};
}

void BilinearRows::GatherPairs(const uint8_t* row, uint8_t* out) const {
  const std::vector<int32_t>& whole = columns_.whole;
  for (size_t x = 0; x < whole.size(); ++x) std::memcpy(out + 6 * x, row + 3 * (whole[x] - lowColumn_), 6);
}

void BilinearRows::Blend(const uint8_t* lower, const uint8_t* upper, int32_t y, uint8_t* dest,
                         Scratch& scratch) const {
  if (gathered_) {
    GatherPairs(lower, scratch.lower.data());
    GatherPairs(upper, scratch.upper.data());
    lower = scratch.lower.data();
    upper = scratch.upper.data();
  }
  kernels_->Vertical(lower, upper, static_cast<size_t>(blendCount_), rows_.weight[static_cast<size_t>(y)],
                     scratch.blended.data());
  kernels_->Horizontal(scratch.blended.data(), dest);
}
