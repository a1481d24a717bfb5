#pragma once

#include <QImage>
#include <memory>

#include "platform/gdi/Bitmap.h"

namespace platform {

// Hands the drawing layer's clipboard bitmaps to the system clipboard.
class QtClipboard {
 public:
  static void Install();
  // An independent top-down copy of the bitmap; null for an empty one.
  static QImage ToImage(const gdi::Bitmap& bitmap);
  // A top-down bitmap of the picture, transparent parts on white; null for a null picture.
  static std::unique_ptr<gdi::Bitmap> FromImage(const QImage& image);
  // Puts the bitmap on the system clipboard as a picture.
  static bool Put(const gdi::Bitmap& bitmap);
  // The picture on the system clipboard; null when it holds none.
  static std::unique_ptr<gdi::Bitmap> Take();
};

}  // namespace platform
