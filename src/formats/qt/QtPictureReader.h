#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "platform/gdi/Bitmap.h"

namespace formats {

// The window toolkit's reader, for the kinds of picture the program doesn't
// read itself (PNG, top-down and palette BMPs, and whatever else Qt reads).
class QtPictureReader {
 public:
  // Makes it the picture decoder's reader for those kinds.
  static void Install();
  // A top-down bitmap; raises invalid picture (481) for a file Qt can't read
  // and out of memory (7) for a picture too large to hold.
  static std::unique_ptr<gdi::Bitmap> Decode(std::span<const uint8_t> file);
};

}  // namespace formats
