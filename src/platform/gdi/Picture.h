#pragma once

#include <memory>

#include "platform/gdi/Bitmap.h"

namespace gdi {

// A decoded picture: a bitmap, or nothing (an empty picture, handle 0).
// Shared by the surfaces that show it; nobody draws into it.
class Picture {
 public:
  Picture() = default;
  explicit Picture(std::unique_ptr<Bitmap> bitmap) : bitmap_(std::move(bitmap)) {}

  HBITMAP Handle() const { return bitmap_.get(); }
  bool Empty() const { return !bitmap_; }
  int32_t Width() const { return bitmap_ ? bitmap_->Width() : 0; }
  int32_t Height() const { return bitmap_ ? bitmap_->Height() : 0; }

 private:
  std::unique_ptr<Bitmap> bitmap_;
};

using PicturePtr = std::shared_ptr<const Picture>;

}  // namespace gdi
