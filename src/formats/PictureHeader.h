#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace formats {

// What a picture file's header says of its size, read from its first bytes
// only: enough to tell how much memory decoding it will take before any is
// taken. JPEG, BMP, GIF and PNG; other kinds say nothing.
class PictureHeader {
 public:
  // The bytes read from the start of a file; a JPEG whose frame header lies
  // further in says nothing.
  static constexpr size_t kHeadBytes = 256 * 1024;

  int64_t width = 0;
  int64_t height = 0;
  // EXIF's, 1 when the kind carries none.
  int orientation = 1;
  // The file's size where the decoder holds all of it while it decodes; 0 for
  // a BMP, whose rows are read straight into place.
  uint64_t encodedBytes = 0;
  // What else the decoder holds the whole time: a JPEG of several scans keeps
  // every block's coefficients, two bytes each, until its last scan is read;
  // an interlaced PNG every row of its passes.
  uint64_t workingBytes = 0;

  // Nothing for a kind it doesn't know or a header it can't make sense of;
  // raises as opening the picture does for a file that can't be read.
  static std::optional<PictureHeader> Read(const std::string& path);
  static std::optional<PictureHeader> Of(std::span<const uint8_t> head);

 private:
  static std::optional<PictureHeader> Jpeg(std::span<const uint8_t> head);
  static std::optional<PictureHeader> Bmp(std::span<const uint8_t> head);
  static std::optional<PictureHeader> Gif(std::span<const uint8_t> head);
  static std::optional<PictureHeader> Png(std::span<const uint8_t> head);
};

}  // namespace formats
