#include "formats/PictureDecoder.h"

#include <atomic>

#include "formats/Orientation.h"
#include "formats/PictureFile.h"
#include "formats/bmp/BmpReader.h"
#include "formats/gif/GifReader.h"
#include "formats/jpeg/ExifOrientation.h"
#include "formats/jpeg/JpegReader.h"
#include "formats/png/PngReader.h"

namespace formats {
namespace {

std::atomic<OtherKindsReader> otherKinds{nullptr};

PictureRegion Whole(DecodedBitmap decoded) {
  const int32_t width = decoded.bitmap->Width(), height = decoded.bitmap->Height();
  return {std::make_shared<const gdi::Picture>(std::move(decoded.bitmap)),
          0,
          0,
          width,
          height,
          std::move(decoded.damage)};
}

DecodedBitmap DecodeWhole(std::span<const uint8_t> file) {
  DecodedBitmap decoded;
  if (JpegReader::Takes(file)) decoded = JpegReader::Decode(file);
  if (!decoded.bitmap && GifReader::Takes(file)) decoded = GifReader::Decode(file);
  if (!decoded.bitmap && PngReader::Takes(file)) decoded = PngReader::Decode(file);
  if (decoded.bitmap) return decoded;
  OtherKindsReader other = otherKinds.load();
  if (!other) throw PictureLimits::NotAPicture();
  return {other(file), {}};
}

gdi::Rect All(int32_t width, int32_t height) { return {0, 0, width, height}; }

// A whole picture when no chooser is given.
PictureRegion Load(const std::string& path, const RegionChooser& choose) {
  const PictureFile file(path);
  if (file.Size() == 0)
    throw platform::AppError::WithDescription(platform::ErrorNumber::InvalidPicture, "The file is empty");
  const std::vector<uint8_t> head = file.Head(BmpReader::kHeaderBytes);
  if (auto layout = BmpReader::Read(head, file.Size()))
    return BmpReader::Decode(file, *layout, choose ? choose : All);
  const std::vector<uint8_t> bytes = file.All();
  const Orientation turn(Orientation::Automatic() ? ExifOrientation::Of(bytes) : ExifOrientation::kUpright);
  if (choose && JpegReader::Takes(bytes)) {
    if (auto region = JpegReader::DecodeRegion(bytes, turn.Stored(choose))) return turn.Upright(*region);
  }
  if (choose && PngReader::Takes(bytes)) {
    if (auto region = PngReader::DecodeRegion(bytes, choose)) return *region;
  }
  DecodedBitmap decoded = DecodeWhole(bytes);
  decoded.bitmap = turn.Upright(std::move(decoded.bitmap));
  PictureRegion region = Whole(std::move(decoded));
  if (choose) choose(region.width, region.height);
  return region;
}

PictureRegion Checked(PictureRegion region, Damage damage) {
  if (damage == Damage::Refuse && !region.damage.empty()) throw PictureLimits::Damaged(region.damage);
  return region;
}

}  // namespace

void UseOtherKindsReader(OtherKindsReader reader) { otherKinds.store(reader); }

PictureRegion DecodePicture(const std::string& path) {
  if (path.empty()) return {std::make_shared<const gdi::Picture>(), 0, 0, 0, 0, {}};
  return Load(path, nullptr);
}

gdi::PicturePtr LoadPicture(const std::string& path, Damage damage) {
  return Checked(DecodePicture(path), damage).picture;
}

PictureRegion LoadPictureRegion(const std::string& path, const RegionChooser& choose, Damage damage) {
  return Checked(Load(path, choose), damage);
}

}  // namespace formats
