#pragma once

#include <QImage>

#include "platform/gdi/Bitmap.h"

namespace platform {

// Hands the drawing layer's clipboard bitmaps to the system clipboard.
class QtClipboard {
 public:
  static void Install();
  // An independent top-down copy of the bitmap; null for an empty one.
  static QImage ToImage(const gdi::Bitmap& bitmap);
};

}  // namespace platform
