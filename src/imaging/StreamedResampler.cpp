#include "imaging/StreamedResampler.h"

#include <cstring>

#include "imaging/ByteView.h"
#include "imaging/cDIBSection.h"

StreamedResampler::StreamedResampler(int32_t sourceWidth, int32_t sourceHeight, cDIBSection& dest,
                                     resample::KernelLevel kernels)
    : plan_(sourceWidth, sourceHeight, dest.Width(), dest.Height(), kernels),
      scratch_(plan_.MakeScratch()),
      sourceHeight_(sourceHeight),
      dest_(dest.DIBSectionBitsPtr()),
      destStride_(dest.BytesPerScanLine()),
      rows_{sourceHeight - 2 - plan_.HighRow(), sourceHeight - plan_.LowRow()},
      columns_{plan_.LowColumn(), plan_.HighColumn() + 2},
      next_(rows_.first),
      pending_(dest.Height() - 1),
      above_(3 * static_cast<size_t>(columns_.end - columns_.first)) {
  // Unlike the whole bitmap's rows, a decoded row has no padding to reach into.
  if (dest.Width() <= 0 || dest.Height() <= 0 || !dest_ || rows_.first < 0 || columns_.first < 0 ||
      rows_.end > sourceHeight || columns_.end > sourceWidth) {
    RaiseOutOfRange();
  }
}

void StreamedResampler::Add(const PixelRows<const uint8_t>& band) {
  for (int32_t r = 0; r < band.height && !Done(); ++r) {
    const uint8_t* row = band.first + static_cast<ptrdiff_t>(r) * band.step;
    const uint8_t* upper = r > 0 ? row - band.step : above_.data();
    // Several destination rows may sample the same pair of rows.
    for (; !Done() && LowerFromTop(pending_) == next_ + r; --pending_) {
      plan_.Blend(row, upper, pending_, dest_ + static_cast<ptrdiff_t>(pending_) * destStride_, scratch_);
    }
  }
  const int32_t last = next_ + band.height - 1;
  if (band.height > 0 && !Done() && LowerFromTop(pending_) == last + 1) {
    std::memcpy(above_.data(), band.first + static_cast<ptrdiff_t>(band.height - 1) * band.step,
                above_.size());
  }
  next_ += band.height;
}
