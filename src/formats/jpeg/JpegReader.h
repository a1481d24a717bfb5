#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "formats/PictureFile.h"
#include "formats/PictureRegion.h"
#include "formats/PictureStream.h"

namespace formats {

// JPEG through libjpeg-turbo, CMYK and YCCK included, into blue-green-red
// bitmaps. A file it can't decode raises invalid picture (481) in libjpeg's
// words; one of more scans than kMostScans is refused as soon as it has them.
class JpegReader {
 public:
  // Encoders write a dozen scans or so, two dozen for four channels.
  static constexpr int kMostScans = 64;

  static bool Takes(std::span<const uint8_t> head);

  // The whole picture, bottom-up, and libjpeg's first warning as the damage.
  static DecodedBitmap Decode(std::span<const uint8_t> file);

  // Only the rows and columns of the chosen part, with a margin around it so
  // its edges come out as in a whole decode, and nothing past its last row:
  // damage further on goes unseen, as it touches none of these pixels.
  // Nothing when the part is empty.
  static std::optional<PictureRegion> DecodeRegion(std::span<const uint8_t> file,
                                                   const RegionChooser& choose);

  // The rows the sink needs, decoded band by band from the file (read a
  // little at a time, never held whole) at 1/2, 1/4 or 1/8 scale where the
  // sink allows it; nothing past its last needed row is decoded. No for a
  // kind Decode gives no bitmap for. `damage` gets the library's first warning.
  static Streamed Stream(const PictureFile& file, BandSink& sink, std::string& damage);
};

}  // namespace formats
