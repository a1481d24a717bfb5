#pragma once

#include <cstdint>
#include <span>

namespace formats {

// The orientation a picture's EXIF data gives it (tag 0x0112), as 1 to 8 in
// EXIF's numbering: 1 is stored upright, 6 needs a quarter turn clockwise and
// so on. Reads a JPEG's APP1 "Exif" segment or a TIFF file's first folder of
// tags; every offset and count in them is checked against the bytes there.
class ExifOrientation {
 public:
  static constexpr int kUpright = 1;

  // 1 when the file says nothing, says something out of range, or can't be read.
  static int Of(std::span<const uint8_t> file);
  // From TIFF-structured data: a TIFF file, or the body of an EXIF segment.
  static int FromTiff(std::span<const uint8_t> tiff);

 private:
  static int FromJpeg(std::span<const uint8_t> file);
};

}  // namespace formats
