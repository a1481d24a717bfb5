#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/ResampleKernels.h"

// How the bilinear fill makes each destination row from the two source rows
// it samples, worked out once for a pair of sizes: what depends only on the
// destination column or only on the row. The whole-picture fill and the one
// that takes a picture as it is decoded share it, so their bytes agree.
class BilinearRows {
 public:
  // Rows count from the bottom, as in the bitmaps. Raises the overflow error
  // when a position leaves the 32-bit range.
  BilinearRows(int32_t sourceWidth, int32_t sourceHeight, int32_t destWidth, int32_t destHeight,
               resample::KernelLevel kernels);
  // The kernels refer to the plan's own columns.
  BilinearRows(const BilinearRows&) = delete;
  BilinearRows& operator=(const BilinearRows&) = delete;

  // The source columns and rows the 2 x 2 blocks' lower-left pixels lie in,
  // lowest and highest.
  int32_t LowColumn() const { return lowColumn_; }
  int32_t HighColumn() const { return highColumn_; }
  int32_t LowRow() const { return lowRow_; }
  int32_t HighRow() const { return highRow_; }
  // The source row destination row y takes its block's lower pixels from.
  int32_t LowerRow(int32_t y) const { return rows_.whole[static_cast<size_t>(y)]; }

  // Working rows, one set for each thread.
  struct Scratch {
    std::vector<uint8_t> blended;
    std::vector<uint8_t> lower;
    std::vector<uint8_t> upper;
  };
  Scratch MakeScratch() const;

  // Destination row y from its block's lower and upper source rows, each
  // pointing at its pixel of column LowColumn().
  void Blend(const uint8_t* lower, const uint8_t* upper, int32_t y, uint8_t* dest, Scratch& scratch) const;

 private:
  // Where each destination column (or row) samples the source: the whole
  // part of the position and the weights.
  struct Axis {
    std::vector<int32_t> whole;
    std::vector<resample::RowWeight> weight;
  };
  static Axis MapAxis(int32_t sourceSize, int32_t destSize);
  void GatherPairs(const uint8_t* row, uint8_t* out) const;

  Axis columns_;
  Axis rows_;
  int32_t lowColumn_ = 0;
  int32_t highColumn_ = 0;
  int32_t lowRow_ = 0;
  int32_t highRow_ = 0;
  // The source bytes a row blends vertically are either one contiguous run
  // (enlarging, mild reduction) or, when most source columns would be
  // skipped, the two pixels each destination column samples, side by side.
  bool gathered_ = false;
  int32_t blendCount_ = 0;
  // Where each destination column starts in the blended row; the kernels keep a reference.
  resample::Columns blendColumns_;
  std::unique_ptr<resample::RowKernels> kernels_;
};
