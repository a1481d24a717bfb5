#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "formats/PictureFile.h"
#include "formats/PictureRegion.h"
#include "formats/PictureStream.h"

namespace formats {

// PNG through libspng: grey, palette, RGB, with or without alpha, 1 to 16
// bits a sample, interlaced or not. Transparent pixels are laid over the
// colour the window shows behind a picture (kSurfaceBackColor); sixteen-bit
// samples keep their high byte. Gamma and colour profiles are not applied.
class PngReader {
 public:
  static bool Takes(std::span<const uint8_t> head);
  // Raises invalid picture (481) for a PNG whose header or chunks can't be
  // read and for one whose header announces far more than the file could
  // hold. Pixel data cut short or corrupt gives the rows read before it,
  // black after, and the damage in words.
  static DecodedBitmap Decode(std::span<const uint8_t> file);
  // Only the chosen part, decoding no row past its last one: damage further
  // on goes unseen, as it touches none of these pixels. Nothing for an
  // interlaced picture, whose last pass ends at the file's end anyway, and
  // for a part outside the picture; raises as Decode does.
  static std::optional<PictureRegion> DecodeRegion(std::span<const uint8_t> file,
                                                   const RegionChooser& choose);

  // The rows the sink needs, decoded row by row from the file (read a little
  // at a time) and averaged on a second thread in bands; nothing past the
  // last needed row is decoded. No for an interlaced PNG, whose passes each
  // cover the whole picture. Rows lost to damage are black, and `damage` says how.
  static Streamed Stream(const PictureFile& file, BandSink& sink, std::string& damage);
};

}  // namespace formats
