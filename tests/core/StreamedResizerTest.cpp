#include "core/StreamedResizer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/PictureResizer.h"
#include "formats/PictureLimits.h"
#include "platform/base/AppError.h"
#include "support/pure/TempDir.h"
#include "support/qt/PictureFiles.h"

namespace {

// Noise under one-pixel roads, where a row or column out of place shows at once.
QImage Map(int width, int height, uint32_t seed) {
  QImage image(width, height, QImage::Format_RGB888);
  std::mt19937 generator(seed);
  for (int y = 0; y < height; ++y) {
    uchar* row = image.scanLine(y);
    for (int x = 0; x < 3 * width; ++x) row[x] = static_cast<uchar>(generator());
    if (y % 13 == 0) std::fill_n(row, 3 * width, uchar{250});
  }
  return image;
}

std::vector<uint8_t> PixelBytes(const cDIBSection& bitmap) {
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.DIBSectionBits() + static_cast<ptrdiff_t>(y) * bitmap.BytesPerScanLine();
    bytes.insert(bytes.end(), row, row + 3 * bitmap.Width());
  }
  return bytes;
}

StreamedResizer::Size Fixed(int32_t width, int32_t height) {
  return [width, height](int32_t, int32_t) { return std::pair{width, height}; };
}

struct ResizeCase {
  const char* format;
  int32_t pictureWidth, pictureHeight, width, height;
};

class StreamedResize : public testing::TestWithParam<ResizeCase> {};

}  // namespace

// Read band by band, the result is the whole picture's resize (the window's
// "Resize Image") byte for byte.
TEST_P(StreamedResize, SameBytesAsTheWholePicture) {
  const ResizeCase c = GetParam();
  TempDir dir;
  const std::string path = (dir / "map").string();
  PictureFiles::Save(Map(c.pictureWidth, c.pictureHeight, 5), path, c.format, 90);
  const auto whole =
      PictureResizer::Resize(*formats::LoadPicture(path, formats::Damage::Refuse), c.width, c.height);
  const auto streamed = StreamedResizer(Fixed(c.width, c.height)).Resize(path, formats::Damage::Refuse);
  ASSERT_TRUE(streamed);
  EXPECT_EQ(PixelBytes(*streamed), PixelBytes(*whole));
}

INSTANTIATE_TEST_SUITE_P(KindsAndFactors, StreamedResize,
                         testing::Values(ResizeCase{"BMP", 640, 480, 64, 48},
                                         ResizeCase{"JPG", 640, 480, 64, 48},
                                         ResizeCase{"PNG", 640, 480, 64, 48},
                                         ResizeCase{"JPG", 1001, 333, 100, 333},  // across alone
                                         ResizeCase{"PNG", 333, 1001, 333, 77},   // down alone
                                         ResizeCase{"BMP", 999, 777, 131, 97},
                                         ResizeCase{"JPG", 2000, 90, 37, 41},  // far across, a little down
                                         ResizeCase{"PNG", 801, 601, 400, 300}));

// Only reductions by more than 2 x, smaller on no side, are streamed; the
// rest, and pictures one pixel across, go to the whole resize.
TEST(StreamedResizer, StreamsReductionsByMoreThanTwo) {
  TempDir dir;
  const std::string path = (dir / "map.bmp").string();
  PictureFiles::Save(Map(300, 200, 1), path, "BMP");
  struct Case {
    int32_t width, height;
    bool streams;
  } cases[] = {{149, 200, true}, {150, 99, true}, {150, 100, false}, {10, 201, false}, {301, 10, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(StreamedResizer::Streams(300, 200, c.width, c.height), c.streams) << c.width << "x" << c.height;
    EXPECT_EQ(StreamedResizer(Fixed(c.width, c.height)).Resize(path, formats::Damage::Refuse) != nullptr,
              c.streams)
        << c.width << "x" << c.height;
  }
  PictureFiles::Save(Map(1, 200, 1), path, "BMP");
  EXPECT_FALSE(StreamedResizer(Fixed(1, 10)).Resize(path, formats::Damage::Refuse));
}

// Beyond the size a whole decode takes: a sparse BMP of 160 megapixels.
TEST(StreamedResizer, TakesAPictureTooLargeToDecodeWhole) {
  TempDir dir;
  const std::string path = (dir / "large.bmp").string();
  constexpr int32_t kWidth = 16000, kHeight = 10000;
  ASSERT_GT(int64_t{kWidth} * kHeight, formats::kMaxPicturePixels);
  PictureFiles::WriteBytes(path, PictureFiles::BmpHeader(kWidth, kHeight));
  std::filesystem::resize_file(path, 54 + uint64_t{3} * kWidth * kHeight);
  const auto made = StreamedResizer(Fixed(160, 100)).Resize(path, formats::Damage::Refuse);
  ASSERT_TRUE(made);
  EXPECT_EQ(PixelBytes(*made), std::vector<uint8_t>(3 * 160 * 100, 0));
}

namespace {

struct ClaimCase {
  const char* name;
  QByteArray bytes;
};

class StreamedResizeClaims : public testing::TestWithParam<ClaimCase> {};

}  // namespace

// A header claiming far more rows than its file holds is refused on its
// claim before the result's size is even asked, so before it is allocated.
TEST_P(StreamedResizeClaims, RefusedBeforeTheResultIsMade) {
  TempDir dir;
  const std::string path = (dir / "claims").string();
  PictureFiles::WriteBytes(path, GetParam().bytes);
  bool asked = false;
  StreamedResizer resizer([&asked](int32_t, int32_t) {
    asked = true;
    return std::pair{20000, 20000};
  });
  try {
    resizer.Resize(path, formats::Damage::Accept);
    FAIL() << "taken";
  } catch (const platform::AppError& e) {
    EXPECT_NE(e.Description().find("more than its"), std::string::npos) << e.Description();
  }
  EXPECT_FALSE(asked);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StreamedResizeClaims,
    testing::Values(ClaimCase{"bmp", PictureFiles::BmpHeader(60000, 60000) + QByteArray(4096, 0)},
                    ClaimCase{"jpeg", PictureFiles::JpegClaiming(Map(64, 64, 1), 65000, 65000)}),
    [](const auto& test) { return std::string(test.param.name); });

// Stopped between bands, the stream raises and makes no result.
TEST(StreamedResizer, StopRaisesBetweenBands) {
  for (const char* format : {"BMP", "PNG", "JPG"}) {
    TempDir dir;
    const std::string path = (dir / "map").string();
    PictureFiles::Save(Map(900, 700, 3), path, format, 90);
    int asked = 0;
    StreamedResizer resizer(Fixed(90, 70), [&asked](double done) {
      EXPECT_GE(done, 0.0);
      EXPECT_LT(done, 1.0);
      return ++asked == 1;
    });
    EXPECT_THROW(resizer.Resize(path, formats::Damage::Refuse), formats::StreamStopped) << format;
    EXPECT_EQ(asked, 1) << format;
  }
}
