#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "formats/PictureFile.h"
#include "formats/PictureRegion.h"
#include "formats/PictureStream.h"

namespace formats {

// JPEG through libjpeg-turbo, into top-down bitmaps.
class JpegReader {
 public:
  static bool Takes(std::span<const uint8_t> head);

  // The whole picture, and libjpeg-turbo's first warning as the damage;
  // no bitmap when it can't produce one (CMYK, broken), so the general
  // reader gets a try.
  static DecodedBitmap Decode(std::span<const uint8_t> file);

  // Only the rows and columns of the chosen part, with a margin around it so
  // its edges come out as in a whole decode, and nothing past its last row:
  // damage further on goes unseen, as it touches none of these pixels.
  // Nothing where Decode would give no bitmap.
  static std::optional<PictureRegion> DecodeRegion(std::span<const uint8_t> file,
                                                   const RegionChooser& choose);

  // The rows the sink needs, decoded band by band from the file (read a
  // little at a time, never held whole) at 1/2, 1/4 or 1/8 scale where the
  // sink allows it; nothing past its last needed row is decoded. No for a
  // kind Decode gives no bitmap for. `damage` gets the library's first warning.
  static Streamed Stream(const PictureFile& file, BandSink& sink, std::string& damage);
};

}  // namespace formats
