#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "formats/PictureRegion.h"

namespace formats {

// The first frame of a GIF through giflib, as the window toolkit's reader
// shows it: on a black screen of the file's size, transparent pixels in their
// palette colour, interlaced rows in their places.
class GifReader {
 public:
  static bool Takes(std::span<const uint8_t> head);
  // Raises invalid picture (481) for a GIF that can't be decoded and for one
  // whose screen is far larger than the file could fill. A frame cut short or
  // corrupt gives the rows read before it and the damage in words.
  static DecodedBitmap Decode(std::span<const uint8_t> file);
};

}  // namespace formats
