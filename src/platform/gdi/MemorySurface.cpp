#include "platform/gdi/MemorySurface.h"

#include "platform/base/AppError.h"
#include "platform/base/Screen.h"

namespace gdi {

MemorySurface::MemorySurface(int32_t width, int32_t height, COLORREF background)
    : image_(Bitmap::Create(width, height, false)), dc_(image_.get()) {
  if (!image_) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
  image_->Fill(background);
}

MemorySurface::MemorySurface(std::unique_ptr<Bitmap> image) : image_(std::move(image)), dc_(image_.get()) {}

float MemorySurface::ScaleWidth() const {
  float pixels = static_cast<float>(image_->Width());
  return scaleMode_ == vbTwips ? pixels * platform::Screen::TwipsPerPixelX() : pixels;
}

float MemorySurface::ScaleHeight() const {
  float pixels = static_cast<float>(image_->Height());
  return scaleMode_ == vbTwips ? pixels * platform::Screen::TwipsPerPixelY() : pixels;
}

}  // namespace gdi
