#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Picture.h"

namespace formats {

// The part of a picture a caller needs, in picture pixels, chosen once the
// picture's size is known. A reader may give more than asked, never less.
using RegionChooser = std::function<gdi::Rect(int32_t width, int32_t height)>;

// What was read of a picture: a bitmap holding at least the chosen part,
// with its top-left corner at (left, top) of the whole picture.
struct PictureRegion {
  gdi::PicturePtr picture;
  int32_t left = 0;
  int32_t top = 0;
  // The whole picture's size.
  int32_t width = 0;
  int32_t height = 0;
  // How the file is damaged, in words; empty for a whole file. A damaged
  // file's picture holds what could be read, black where nothing could.
  std::string damage;
};

// A whole picture as a reader decoded it, and how its file is damaged.
struct DecodedBitmap {
  std::unique_ptr<gdi::Bitmap> bitmap;
  std::string damage;
};

}  // namespace formats
