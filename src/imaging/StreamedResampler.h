#pragma once

#include <cstdint>
#include <vector>

#include "imaging/BilinearRows.h"
#include "imaging/RowTaker.h"

class cDIBSection;

// The bilinear fill of a picture that passes by once, top row first, as a
// decoder gives it: each destination row is made as soon as the lower of its
// two source rows passes, from that row and the one before it, so no more than
// one source row is kept between bands. The bytes are those Resampler gives
// for the whole picture.
class StreamedResampler : public RowTaker {
 public:
  // Into all of dest, which must be Created, from a source of sourceWidth x
  // sourceHeight. Raises the index-out-of-range error when a 2 x 2 block
  // reaches outside the source, and the overflow error as Resampler does.
  StreamedResampler(int32_t sourceWidth, int32_t sourceHeight, cDIBSection& dest,
                    resample::KernelLevel kernels = resample::KernelLevel::Avx512);

  Range Rows() const override { return rows_; }
  Range Columns() const override { return columns_; }
  void Add(const PixelRows<const uint8_t>& band) override;

  // Every destination row is made.
  bool Done() const { return pending_ < 0; }

 private:
  // The source row, counted from the top, destination row y takes its block's lower pixels from.
  int32_t LowerFromTop(int32_t y) const { return sourceHeight_ - 1 - plan_.LowerRow(y); }

  BilinearRows plan_;
  BilinearRows::Scratch scratch_;
  int32_t sourceHeight_;
  uint8_t* dest_;
  int32_t destStride_;
  Range rows_;
  Range columns_;
  // The next source row, from the top.
  int32_t next_;
  // The next destination row to make; they are made from the top one down.
  int32_t pending_;
  // The last row of the band before, when the next destination row needs it.
  std::vector<uint8_t> above_;
};
