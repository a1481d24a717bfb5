#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "codecs/PictureRegion.h"

namespace platform {

// JPEG through libjpeg-turbo, into top-down bitmaps.
class JpegReader {
 public:
  static bool Takes(std::span<const uint8_t> head);

  // The whole picture; null when libjpeg-turbo can't produce it (CMYK,
  // broken), so the general reader gets a try.
  static std::unique_ptr<gdi::Bitmap> Decode(std::span<const uint8_t> file);

  // Only the rows and columns of the chosen part, with a margin around it so
  // its edges come out as in a whole decode, and nothing past its last row.
  // Null where Decode would be null.
  static std::optional<PictureRegion> DecodeRegion(std::span<const uint8_t> file, const RegionChooser& choose);
};

}  // namespace platform
