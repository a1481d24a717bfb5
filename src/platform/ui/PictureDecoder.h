#pragma once

#include <cstdint>
#include <string>

#include "platform/gdi/Picture.h"

namespace platform {

// Pictures up to this many pixels open; larger ones are refused with a clear error.
constexpr int64_t kMaxPicturePixels = 150'000'000;

// Decodes a picture file into a top-down bitmap: JPEG through libjpeg-turbo,
// everything else Qt reads through Qt. An empty name gives an empty picture.
// Raises 53 for a missing file, 481 for one that can't be decoded and 7 for
// a picture too large to hold.
gdi::PicturePtr LoadPicture(const std::string& path);

}  // namespace platform
