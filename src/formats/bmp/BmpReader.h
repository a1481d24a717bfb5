#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "formats/PictureFile.h"
#include "formats/PictureRegion.h"
#include "formats/PictureStream.h"

namespace formats {

// Every kind of BMP but those compressed as JPEG or PNG: palettes of 1, 4 and
// 8 bits, 16 and 32 bits with or without bit fields, 24 bits, rows stored
// either way up, run lengths of 8 and 4 bits; so each goes through the same
// size, claim and damage checks. Uncompressed bottom-up rows of 24 and 32
// bits, laid out as the program's bitmaps' rows are, are read straight into
// a top-down bitmap (the window shows such a bitmap without a copy), 24-bit
// in one scattered read that puts each row in its place, 32-bit in one pass
// that drops the fourth byte; the other kinds are converted whole.
class BmpReader {
 public:
  static constexpr size_t kHeaderBytes = 54;

  struct Layout {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 0;
    uint64_t offset = 0;
    uint64_t fileStride = 0;
    bool topDown = false;
    uint32_t compression = 0;
    uint32_t infoBytes = 40;
    uint32_t coloursUsed = 0;
    // Rows laid out as a bitmap's, read straight into place.
    bool Direct() const { return !topDown && compression == 0 && (bitsPerPixel == 24 || bitsPerPixel == 32); }
  };

  // Nothing for a file that is no BMP or a kind no reader here knows. A BMP
  // whose header can't be right (no pixels, a size over the limit, pixels
  // starting past the end, far more pixels than the file holds) raises
  // invalid picture (481) or out of memory (7) in words, before anything is
  // allocated. A file a little short of its pixels decodes as damaged.
  static std::optional<Layout> Read(std::span<const uint8_t> head, uint64_t fileSize,
                                    int64_t mostPixels = kMaxPicturePixels);

  // The rows the chooser asks for, the picture's whole width (the whole
  // picture for the kinds that are converted); those the file doesn't hold
  // are black and the region says how the file is damaged.
  static PictureRegion Decode(const PictureFile& file, const Layout& layout, const RegionChooser& choose);

  // The rows the sink needs, top row first, a few megabytes at a time;
  // `damage` says how the file is damaged, empty for a whole one.
  static Streamed Stream(const PictureFile& file, const Layout& layout, BandSink& sink, std::string& damage);

 private:
  static PictureRegion Convert(const PictureFile& file, const Layout& layout);
  static void ReadRows(const PictureFile& file, const Layout& layout, int32_t bottom, int32_t first,
                       gdi::Bitmap& rows);
  static void ReadRowsDroppingFourthByte(const PictureFile& file, const Layout& layout, int32_t bottom,
                                         int32_t first, gdi::Bitmap& rows);
};

}  // namespace formats
