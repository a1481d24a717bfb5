#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "formats/PictureFile.h"
#include "formats/PictureRegion.h"
#include "formats/PictureStream.h"

namespace formats {

// Uncompressed bottom-up BMPs of 24 and 32 bits, whose rows are laid out as
// the program's bitmaps' rows are: read straight into a top-down bitmap (the
// window shows such a bitmap without a copy), 24-bit in one scattered read
// that puts each row in its place, 32-bit in one pass that drops the fourth
// byte. Every other kind of BMP is left to the general reader.
class BmpReader {
 public:
  static constexpr size_t kHeaderBytes = 54;

  struct Layout {
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 0;
    uint64_t offset = 0;
    uint64_t fileStride = 0;
  };

  // Nothing for a file that is no BMP or one this reader leaves alone. A BMP
  // whose header can't be right (no pixels, a size over the limit, pixels
  // starting past the end, far more pixels than the file holds) raises
  // invalid picture (481) or out of memory (7) in words, before anything is
  // allocated. A file a little short of its pixels decodes as damaged.
  static std::optional<Layout> Read(std::span<const uint8_t> head, uint64_t fileSize,
                                    int64_t mostPixels = kMaxPicturePixels);

  // The rows the chooser asks for, the picture's whole width; those the file
  // doesn't hold are black and the region says how the file is damaged.
  static PictureRegion Decode(const PictureFile& file, const Layout& layout, const RegionChooser& choose);

  // The rows the sink needs, top row first, a few megabytes at a time;
  // `damage` says how the file is damaged, empty for a whole one.
  static Streamed Stream(const PictureFile& file, const Layout& layout, BandSink& sink, std::string& damage);

 private:
  static void ReadRows(const PictureFile& file, const Layout& layout, int32_t bottom, int32_t first,
                       gdi::Bitmap& rows);
  static void ReadRowsDroppingFourthByte(const PictureFile& file, const Layout& layout, int32_t bottom,
                                         int32_t first, gdi::Bitmap& rows);
};

}  // namespace formats
