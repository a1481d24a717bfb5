#pragma once

#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/PictureSurface.h"

namespace gdi {

// A picture surface without a window: its image lives in memory.
class MemorySurface final : public PictureSurface {
 public:
  // Raises out of memory (7) when the image can't be had.
  MemorySurface(int32_t width, int32_t height, COLORREF background = 0);
  // Showing a bitmap of its own, such as a share of another's pixels.
  explicit MemorySurface(std::unique_ptr<Bitmap> image);

  Bitmap& Image() { return *image_; }
  const Bitmap& Image() const { return *image_; }

  ScaleContainer& Parent() override { return parent_; }
  int16_t ScaleMode() const override { return scaleMode_; }
  void SetScaleMode(int16_t mode) override { scaleMode_ = mode; }
  float ScaleWidth() const override;
  float ScaleHeight() const override;
  HDC hDC() override { return &dc_; }

 private:
  class Container final : public ScaleContainer {
   public:
    int16_t ScaleMode() const override { return mode_; }
    void SetScaleMode(int16_t mode) override { mode_ = mode; }

   private:
    int16_t mode_ = vbTwips;
  };

  std::unique_ptr<Bitmap> image_;
  DeviceContext dc_;
  Container parent_;
  int16_t scaleMode_ = vbPixels;
};

}  // namespace gdi
