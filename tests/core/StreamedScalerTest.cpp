#include "core/StreamedScaler.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>

#include "platform/base/AppError.h"
#include "support/pure/TempDir.h"
#include "support/qt/PictureFiles.h"

namespace {

// Noise under a grid of one-pixel roads: the content a mini-map of a map is
// made of, where a row or column out of place shows at once.
QImage Map(int width, int height, uint32_t seed) {
  QImage image(width, height, QImage::Format_RGB888);
  std::mt19937 generator(seed);
  for (int y = 0; y < height; ++y) {
    uchar* row = image.scanLine(y);
    for (int x = 0; x < 3 * width; ++x) row[x] = static_cast<uchar>(96 + generator() % 64);
  }
  QPainter paint(&image);
  paint.setPen(QColor(250, 240, 40));
  for (int x = 3; x < width; x += 37) paint.drawLine(x, 0, x, height - 1);
  for (int y = 5; y < height; y += 29) paint.drawLine(0, y, width - 1, y);
  return image;
}

std::vector<uint8_t> Bytes(const gdi::Bitmap& image) {
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < image.Height(); ++y)
    bytes.insert(bytes.end(), image.Row(y), image.Row(y) + 3 * image.Width());
  return bytes;
}

struct ExactCase {
  const char* format;
  int32_t pictureWidth, pictureHeight;
  RegionSize region;
  BlockPlacement placement;
  int32_t width, height;
};

class StreamedExact : public testing::TestWithParam<ExactCase> {};

}  // namespace

// Read band by band, the result is the one the whole decoded picture gives
// (the window's), byte for byte.
TEST_P(StreamedExact, SameBytesAsTheWholePicture) {
  const ExactCase c = GetParam();
  TempDir dir;
  const std::string path = (dir / (std::string("map.") + c.format)).string();
  PictureFiles::Save(Map(c.pictureWidth, c.pictureHeight, 4), path, c.format, 90);
  const auto whole = RegionScaler(c.region, c.width, c.height, c.placement)
                         .Cut(*formats::LoadPicture(path, formats::Damage::Refuse));
  const auto streamed =
      StreamedScaler(c.region, c.width, c.height, c.placement, true).Cut(path, formats::Damage::Refuse);
  ASSERT_TRUE(streamed);
  EXPECT_EQ(Bytes(streamed->Image()), Bytes(whole->Image()));
}

INSTANTIATE_TEST_SUITE_P(
    KindsRegionsPlaces, StreamedExact,
    testing::Values(ExactCase{"BMP", 640, 480, {true, 0, 0}, {}, 64, 64},
                    ExactCase{"JPG", 640, 480, {true, 0, 0}, {}, 64, 64},
                    ExactCase{"BMP", 333, 517, {true, 0, 0}, {}, 40, 25},
                    ExactCase{"JPG", 333, 517, {true, 0, 0}, {}, 13, 50},
                    ExactCase{"BMP", 800, 600, {false, 301, 203}, {Placement::Center, 400, 300}, 30, 20},
                    ExactCase{"JPG", 801, 601, {false, 301, 203}, {Placement::Origin, 17, 33}, 30, 20},
                    ExactCase{"JPG", 800, 600, {false, 255, 255}, {Placement::Center, 790, 590}, 17, 17},
                    ExactCase{"BMP", 999, 77, {false, 990, 70}, {Placement::Origin, 9, 7}, 97, 23},
                    ExactCase{"PNG", 640, 480, {true, 0, 0}, {}, 64, 64},
                    ExactCase{"PNG", 801, 601, {false, 301, 203}, {Placement::Origin, 17, 33}, 30, 20},
                    ExactCase{"PNG", 999, 77, {false, 990, 70}, {Placement::Origin, 9, 7}, 97, 23}));

// A file cut short gives what could be read, the rest black, as the whole
// decode gives it.
TEST(StreamedScaler, ACutShortFileGivesWhatTheWholeDecodeGives) {
  for (const char* format : {"BMP", "PNG", "JPG"}) {
    TempDir dir;
    const std::string path = (dir / "cut").string();
    PictureFiles::Save(Map(500, 400, 6), path, format, 90);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) * 2 / 3);
    const RegionSize all{true, 0, 0};
    const auto whole =
        RegionScaler(all, 50, 40, {}).Cut(*formats::LoadPicture(path, formats::Damage::Accept));
    const auto streamed = StreamedScaler(all, 50, 40, {}, true).Cut(path, formats::Damage::Accept);
    ASSERT_TRUE(streamed) << format;
    EXPECT_EQ(Bytes(streamed->Image()), Bytes(whole->Image())) << format;
    EXPECT_THROW(StreamedScaler(all, 50, 40, {}, true).Cut(path, formats::Damage::Refuse), platform::AppError)
        << format;
  }
}

namespace {

struct ScaledCase {
  const char* name;
  bool photo;
  int32_t pictureWidth, pictureHeight, width, height;
};

class StreamedScaled : public testing::TestWithParam<ScaledCase> {};

// A photo: smooth gradients and soft-edged discs.
QImage Photo(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y) {
    uchar* row = image.scanLine(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uchar>(255 * x / width);
      row[3 * x + 1] = static_cast<uchar>(255 * y / height);
      row[3 * x + 2] = static_cast<uchar>(128 + 100 * std::sin(x * 0.01 + y * 0.02));
    }
  }
  QPainter paint(&image);
  paint.setRenderHint(QPainter::Antialiasing);
  std::mt19937 generator(2);
  for (int i = 0; i < 60; ++i) {
    paint.setBrush(QColor(generator() % 256, generator() % 256, generator() % 256));
    paint.drawEllipse(QPoint(generator() % width, generator() % height), 20 + generator() % 120,
                      20 + generator() % 120);
  }
  return image;
}

}  // namespace

// Shrunk while decoding, no channel strays further from the exact result
// than StreamedScaler::kScaledBound.
TEST_P(StreamedScaled, NearTheExactResult) {
  const ScaledCase c = GetParam();
  TempDir dir;
  const std::string path = (dir / "picture.jpg").string();
  const QImage image =
      c.photo ? Photo(c.pictureWidth, c.pictureHeight) : Map(c.pictureWidth, c.pictureHeight, 8);
  PictureFiles::Save(image, path, "JPG", 90);
  const RegionSize all{true, 0, 0};
  ASSERT_GT(StreamedScaler::Shrink(c.pictureWidth, c.pictureHeight, c.width, c.height), 1);
  const auto exact = StreamedScaler(all, c.width, c.height, {}, true).Cut(path, formats::Damage::Refuse);
  const auto scaled = StreamedScaler(all, c.width, c.height, {}, false).Cut(path, formats::Damage::Refuse);
  ASSERT_TRUE(exact && scaled);
  const std::vector<uint8_t> a = Bytes(exact->Image()), b = Bytes(scaled->Image());
  int most = 0;
  for (size_t i = 0; i < a.size(); ++i) most = std::max(most, std::abs(a[i] - b[i]));
  EXPECT_LE(most, StreamedScaler::kScaledBound) << c.name;
  EXPECT_NE(a, b) << "no shrinking took place";
}

INSTANTIATE_TEST_SUITE_P(PhotosAndMaps, StreamedScaled,
                         testing::Values(ScaledCase{"photo by 1/8", true, 2048, 1536, 64, 48},
                                         ScaledCase{"photo by 1/2", true, 1001, 999, 200, 200},
                                         ScaledCase{"map by 1/8", false, 2048, 2048, 64, 64},
                                         ScaledCase{"map by 1/4", false, 1500, 1100, 90, 90}));

// The sizes shrinking stops at, keeping twice the result on each axis.
TEST(StreamedScaler, ShrinkKeepsTwiceTheResult) {
  struct Case {
    int32_t regionWidth, regionHeight, width, height;
    int shrink;
  } cases[] = {{10000, 10000, 256, 256, 8}, {2048, 2048, 256, 256, 4}, {2047, 2047, 256, 256, 2},
               {1023, 5000, 256, 256, 1},   {5000, 1100, 256, 256, 2}, {600, 600, 1, 1, 8}};
  for (const Case& c : cases)
    EXPECT_EQ(StreamedScaler::Shrink(c.regionWidth, c.regionHeight, c.width, c.height), c.shrink)
        << c.regionWidth << "x" << c.regionHeight << " to " << c.width << "x" << c.height;
}

namespace {

struct ClaimCase {
  const char* name;
  std::function<QByteArray()> bytes;
};

class StreamedClaims : public testing::TestWithParam<ClaimCase> {};

}  // namespace

// No size limit holds on this path, so a header claiming billions of pixels
// in a small file is refused on its claim, before anything is allocated.
TEST_P(StreamedClaims, RefusedAsDamaged) {
  TempDir dir;
  const std::string path = (dir / "claims").string();
  PictureFiles::WriteBytes(path, GetParam().bytes());
  StreamedScaler scaler({true, 0, 0}, 256, 256, {}, false);
  try {
    scaler.Cut(path, formats::Damage::Accept);
    FAIL() << "taken";
  } catch (const platform::AppError& e) {
    EXPECT_EQ(e.Number(), static_cast<int32_t>(platform::ErrorNumber::InvalidPicture));
    EXPECT_NE(e.Description().find("more than its"), std::string::npos) << e.Description();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StreamedClaims,
    testing::Values(
        ClaimCase{"bmp", [] { return PictureFiles::BmpHeader(60000, 60000) + QByteArray(4096, 0); }},
        ClaimCase{"jpeg", [] { return PictureFiles::JpegClaiming(Map(64, 64, 1), 65000, 65000); }}),
    [](const auto& test) { return std::string(test.param.name); });

// Stopped between bands, the stream raises and makes no result.
TEST(StreamedScaler, StopRaisesBetweenBands) {
  for (const char* format : {"BMP", "JPG"}) {
    TempDir dir;
    const std::string path = (dir / "map").string();
    PictureFiles::Save(Map(900, 700, 3), path, format, 90);
    int asked = 0;
    StreamedScaler scaler({true, 0, 0}, 32, 32, {}, false, [&asked](double done) {
      EXPECT_GE(done, 0.0);
      EXPECT_LT(done, 1.0);
      return ++asked == 1;
    });
    EXPECT_THROW(scaler.Cut(path, formats::Damage::Refuse), formats::StreamStopped) << format;
    EXPECT_EQ(asked, 1) << format;
  }
}
