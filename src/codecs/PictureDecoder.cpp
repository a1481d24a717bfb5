#include "codecs/PictureDecoder.h"

#include <atomic>

#include "codecs/BmpReader.h"
#include "codecs/ExifOrientation.h"
#include "codecs/GifReader.h"
#include "codecs/JpegReader.h"
#include "codecs/Orientation.h"
#include "codecs/PictureFile.h"

namespace platform {
namespace {

std::atomic<OtherKindsReader> otherKinds{nullptr};

PictureRegion Whole(std::unique_ptr<gdi::Bitmap> bitmap) {
  const int32_t width = bitmap->Width(), height = bitmap->Height();
  return {std::make_shared<const gdi::Picture>(std::move(bitmap)), 0, 0, width, height};
}

std::unique_ptr<gdi::Bitmap> DecodeWhole(std::span<const uint8_t> file) {
  std::unique_ptr<gdi::Bitmap> bitmap;
  if (JpegReader::Takes(file)) bitmap = JpegReader::Decode(file);
  if (!bitmap && GifReader::Takes(file)) bitmap = GifReader::Decode(file);
  if (bitmap) return bitmap;
  OtherKindsReader other = otherKinds.load();
  if (!other) throw PictureLimits::NotAPicture();
  return other(file);
}

gdi::Rect All(int32_t width, int32_t height) { return {0, 0, width, height}; }

// A whole picture when no chooser is given.
PictureRegion Load(const std::string& path, const RegionChooser& choose) {
  const PictureFile file(path);
  const std::vector<uint8_t> head = file.Head(BmpReader::kHeaderBytes);
  if (auto layout = BmpReader::Read(head, file.Size())) return BmpReader::Decode(file, *layout, choose ? choose : All);
  const std::vector<uint8_t> bytes = file.All();
  const Orientation turn(Orientation::Automatic() ? ExifOrientation::Of(bytes) : ExifOrientation::kUpright);
  if (choose && JpegReader::Takes(bytes)) {
    if (auto region = JpegReader::DecodeRegion(bytes, turn.Stored(choose))) return turn.Upright(*region);
  }
  PictureRegion region = Whole(turn.Upright(DecodeWhole(bytes)));
  if (choose) choose(region.width, region.height);
  return region;
}

}  // namespace

void UseOtherKindsReader(OtherKindsReader reader) { otherKinds.store(reader); }

gdi::PicturePtr LoadPicture(const std::string& path) {
  if (path.empty()) return std::make_shared<const gdi::Picture>();
  return Load(path, nullptr).picture;
}

PictureRegion LoadPictureRegion(const std::string& path, const RegionChooser& choose) { return Load(path, choose); }

}  // namespace platform
