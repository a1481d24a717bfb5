#include "core/PictureCropper.h"

#include <gtest/gtest.h>

#include "support/qt/PictureFiles.h"

namespace {

std::shared_ptr<const gdi::Picture> PatternPicture(int width, int height, int left, int top) {
  auto bitmap = gdi::Bitmap::Create(width, height, true);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const QRgb c = PictureFiles::PatternPixel(left + x, top + y);
      uint8_t* p = bitmap->MutableRow(y) + 3 * x;
      p[0] = static_cast<uint8_t>(qBlue(c));
      p[1] = static_cast<uint8_t>(qGreen(c));
      p[2] = static_cast<uint8_t>(qRed(c));
    }
  }
  return std::make_shared<const gdi::Picture>(std::move(bitmap));
}

}  // namespace

TEST(PictureCropperTest, APartOfThePictureCutsAsTheWholePictureDoes) {
  const PictureCropper cropper(5, 4, {Placement::Center, 20, 13});
  const formats::PictureRegion whole{PatternPicture(40, 30, 0, 0), 0, 0, 40, 30, {}};
  const formats::PictureRegion part{PatternPicture(12, 9, 15, 10), 15, 10, 40, 30, {}};
  const auto fromWhole = cropper.Crop(whole);
  const auto fromPart = cropper.Crop(part);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(PictureFiles::PixelOf(fromPart->Image(), x, y),
                PictureFiles::PixelOf(fromWhole->Image(), x, y))
          << x << "," << y;
    }
  }
  EXPECT_EQ(PictureFiles::PixelOf(fromWhole->Image(), 0, 0), PictureFiles::PatternPixel(18, 11));
}

TEST(PictureCropperTest, ABlockThatIsTheWholePictureSharesItsMemory) {
  const PictureCropper cropper(40, 30, {Placement::Origin, 0, 0});
  const formats::PictureRegion whole{PatternPicture(40, 30, 0, 0), 0, 0, 40, 30, {}};
  const auto block = cropper.Crop(whole);
  EXPECT_EQ(block->Image().Bits(), whole.picture->Handle()->Bits());
  EXPECT_EQ(PictureFiles::PixelOf(block->Image(), 39, 29), PictureFiles::PatternPixel(39, 29));
}
