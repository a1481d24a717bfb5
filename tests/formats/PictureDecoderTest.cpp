#include "formats/PictureDecoder.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "formats/SamePixels.h"
#include "platform/base/AppError.h"
#include "support/pure/ErrorOf.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"
#include "support/qt/PictureFiles.h"

using formats::LoadPicture;
using platform::AppError;

namespace {

int ErrorNumberOf(const std::filesystem::path& path) {
  try {
    LoadPicture(path.string());
  } catch (const AppError& e) {
    return e.Number();
  }
  return 0;
}

bool Near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

void ExpectPattern(const gdi::Bitmap& b) {
  for (int y = 0; y < b.Height(); ++y) {
    for (int x = 0; x < b.Width(); ++x) {
      ASSERT_EQ(PictureFiles::PixelOf(b, x, y), PictureFiles::PatternPixel(x, y)) << x << "," << y;
    }
  }
}

// A real JPEG with its frame header saying width x height.
QByteArray JpegClaiming(const std::filesystem::path& scratch, uint16_t width, uint16_t height) {
  PictureFiles::Save(PictureFiles::Pattern(16, 16), scratch, "JPG");
  QFile file(QString::fromStdString(scratch.string()));
  file.open(QIODevice::ReadOnly);
  QByteArray jpeg = file.readAll();
  qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  if (sof < 0) return {};
  jpeg[sof + 5] = static_cast<char>(height >> 8);
  jpeg[sof + 6] = static_cast<char>(height & 0xFF);
  jpeg[sof + 7] = static_cast<char>(width >> 8);
  jpeg[sof + 8] = static_cast<char>(width & 0xFF);
  return jpeg;
}

// The 54-byte header of a 24-bit BMP of the given size, without its pixels.
class PictureDecoderTest : public ::testing::Test {
 protected:
  TempDir dir;
};

}  // namespace

TEST_F(PictureDecoderTest, AnEmptyNameGivesAnEmptyPicture) {
  gdi::PicturePtr picture = LoadPicture("");
  ASSERT_TRUE(picture);
  EXPECT_TRUE(picture->Empty());
  EXPECT_EQ(picture->Handle(), nullptr);
}

TEST_F(PictureDecoderTest, BmpAndPngDecodeToExactTopDownBlueGreenRedRows) {
  for (const char* format : {"BMP", "PNG"}) {
    SCOPED_TRACE(format);
    auto path = dir / (std::string("pattern.") + format);
    PictureFiles::Save(PictureFiles::Pattern(5, 3), path, format);
    gdi::PicturePtr picture = LoadPicture(path.string());
    ASSERT_FALSE(picture->Empty());
    const gdi::Bitmap& b = *picture->Handle();
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Height(), 3);
    EXPECT_FALSE(b.BottomUp());
    EXPECT_EQ(b.Stride(), 16u);
    ExpectPattern(b);
  }
}

TEST_F(PictureDecoderTest, GifDecodesThroughItsPalette) {
  auto path = dir / "four.gif";
  const std::vector<QRgb> palette{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(250, 240, 10)};
  PictureFiles::WriteGif(path, 3, 2, palette, {0, 1, 2, 3, 3, 0});
  gdi::PicturePtr picture = LoadPicture(path.string());
  const gdi::Bitmap& b = *picture->Handle();
  ASSERT_EQ(b.Width(), 3);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_EQ(PictureFiles::PixelOf(b, 0, 0), palette[0]);
  EXPECT_EQ(PictureFiles::PixelOf(b, 1, 0), palette[1]);
  EXPECT_EQ(PictureFiles::PixelOf(b, 2, 0), palette[2]);
  EXPECT_EQ(PictureFiles::PixelOf(b, 0, 1), palette[3]);
  EXPECT_EQ(PictureFiles::PixelOf(b, 1, 1), palette[3]);
  EXPECT_EQ(PictureFiles::PixelOf(b, 2, 1), palette[0]);
}

TEST_F(PictureDecoderTest, JpegDecodesWithItsColoursInPlaceWhateverTheFileIsCalled) {
  // Flat 8 x 8 blocks survive JPEG nearly unchanged, so colours and their places can be checked.
  QImage image(24, 16, QImage::Format_RGB32);
  image.fill(qRgb(200, 30, 40));
  for (int y = 8; y < 16; ++y) {
    for (int x = 16; x < 24; ++x) image.setPixel(x, y, qRgb(20, 60, 220));
  }
  auto path = dir / "photo.bin";
  PictureFiles::Save(image, path, "JPG", 100);
  gdi::PicturePtr picture = LoadPicture(path.string());
  const gdi::Bitmap& b = *picture->Handle();
  ASSERT_EQ(b.Width(), 24);
  ASSERT_EQ(b.Height(), 16);
  // Laid out as a DIB, for the window's working bitmap to share.
  EXPECT_TRUE(b.BottomUp());
  EXPECT_EQ(b.Stride(), 72u);
  EXPECT_TRUE(Near(PictureFiles::PixelOf(b, 3, 3), qRgb(200, 30, 40), 6));
  EXPECT_TRUE(Near(PictureFiles::PixelOf(b, 20, 12), qRgb(20, 60, 220), 6));
  EXPECT_TRUE(Near(PictureFiles::PixelOf(b, 20, 3), qRgb(200, 30, 40), 6));
}

TEST_F(PictureDecoderTest, FilesThatAreNoPicturesRaiseInvalidPicture) {
  PictureFiles::WriteBytes(dir / "notes.jpg", "just some words, no picture at all");
  const char broken[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00 and then rubbish";
  PictureFiles::WriteBytes(dir / "broken.jpg", QByteArray(broken, sizeof broken - 1));
  PictureFiles::WriteBytes(dir / "empty.bmp", "");
  EXPECT_EQ(ErrorNumberOf(dir / "notes.jpg"), platform::ErrorNumber::InvalidPicture);
  EXPECT_EQ(ErrorNumberOf(dir / "broken.jpg"), platform::ErrorNumber::InvalidPicture);
  EXPECT_EQ(ErrorNumberOf(dir / "empty.bmp"), platform::ErrorNumber::InvalidPicture);
}

// Each returns at once: nothing waits on a writer or reads an endless device.
TEST_F(PictureDecoderTest, WhatIsNoPictureFileIsRefusedUnreadSayingWhatItIs) {
  const auto pipe = dir / "pipe.jpg", socket = dir / "socket.jpg", vast = dir / "vast.jpg";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
  const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  PictureFiles::WriteBytes(vast, "");
  std::filesystem::resize_file(vast, formats::kMaxPictureFileBytes + 1);
  const struct {
    std::filesystem::path path;
    int32_t number;
    const char* words;
  } cases[] = {
      {dir / "gone.jpg", platform::ErrorNumber::FileNotFound, "not found"},
      {dir.Path(), platform::ErrorNumber::PathFileAccess, "This is a folder, not a picture file"},
      {pipe, platform::ErrorNumber::PathFileAccess, "This is a named pipe, not a picture file"},
      {socket, platform::ErrorNumber::PathFileAccess, "This is a socket, not a picture file"},
      {"/dev/zero", platform::ErrorNumber::PathFileAccess, "This is a device, not a picture file"},
      {vast, platform::ErrorNumber::OutOfMemory, "too large to be a picture"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    try {
      LoadPicture(c.path.string());
      ADD_FAILURE() << "no error raised";
    } catch (const AppError& e) {
      EXPECT_EQ(e.Number(), c.number);
      EXPECT_NE(e.Description().find(c.words), std::string::npos) << e.Description();
    }
  }
  close(listening);
}

TEST_F(PictureDecoderTest, HeadersClaimingFarMorePixelsThanTheFileHoldsAreRefusedBeforeAllocating) {
  QByteArray bmp = PictureFiles::BmpHeader(1, 50'331'648);
  bmp.append(10, '\0');
  QByteArray jpeg = JpegClaiming(dir / "small.jpg", 40000, 3000);
  // A 1 x 1 frame on a screen of 10000 x 10000.
  const char gifBytes[] =
      "GIF89a\x10\x27\x10\x27\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
  const QByteArray gif(gifBytes, sizeof gifBytes - 1);
  for (const auto& [name, bytes] :
       {std::pair{"claims.bmp", bmp}, {"claims.jpg", jpeg}, {"claims.gif", gif}}) {
    SCOPED_TRACE(name);
    PictureFiles::WriteBytes(dir / name, bytes);
    try {
      LoadPicture((dir / name).string());
      ADD_FAILURE() << "no error raised";
    } catch (const AppError& e) {
      EXPECT_EQ(e.Number(), platform::ErrorNumber::InvalidPicture);
      EXPECT_NE(e.Description().find("bytes could hold"), std::string::npos) << e.Description();
    }
  }
}

namespace {

constexpr const char* kNoise = "Image.effect_noise((192, 128), 90).convert('RGB').save(sys.argv[1])\n";

class DamagedPictureTest : public ::testing::TestWithParam<std::tuple<std::string, int>> {
 protected:
  TempDir dir;
};

}  // namespace

// What was stored first decodes as in the whole file: the top rows of a JPEG
// or GIF, the bottom rows of a BMP.
TEST_P(DamagedPictureTest, IsReportedAndGivesWhatCouldBeRead) {
  const auto& [kind, percent] = GetParam();
  const auto whole = dir / ("whole." + kind), cut = dir / ("cut." + kind);
  ASSERT_TRUE(PillowImage::Run(kNoise, {whole.string()}));
  QFile file(QString::fromStdString(whole.string()));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  PictureFiles::WriteBytes(cut, bytes.left(bytes.size() * percent / 100));
  const gdi::PicturePtr expected = LoadPicture(whole.string());
  const formats::PictureRegion read = formats::DecodePicture(cut.string());
  EXPECT_NE(read.damage, "");
  ASSERT_EQ(read.picture->Width(), 192);
  ASSERT_EQ(read.picture->Height(), 128);
  const int row = kind == "bmp" ? 127 : 0;
  EXPECT_TRUE(SamePixels(*read.picture->Handle(), 0, row, *expected->Handle(), 0, row, 192, 1));
  EXPECT_EQ(ErrorOf([&] { LoadPicture(cut.string()); }), platform::ErrorNumber::InvalidPicture);
  // A block near the end meets the damage too, and may go on when asked.
  const formats::PictureRegion block = formats::LoadPictureRegion(
      cut.string(),
      [](int32_t, int32_t) {
        return gdi::Rect{100, 110, 120, 128};
      },
      formats::Damage::Accept);
  EXPECT_NE(block.damage, "");
}

INSTANTIATE_TEST_SUITE_P(CutPoints, DamagedPictureTest,
                         ::testing::Combine(::testing::Values("jpg", "bmp", "gif"),
                                            ::testing::Values(40, 75, 99)),
                         [](const auto& p) {
                           return std::get<0>(p.param) + "_at_" + std::to_string(std::get<1>(p.param));
                         });

TEST_F(PictureDecoderTest, PicturesAboveTheLimitAreRefusedBeforeAnyPixelIsAllocated) {
  PictureFiles::WriteBytes(dir / "huge.bmp", PictureFiles::BmpHeader(15000, 12000));
  QByteArray jpeg = JpegClaiming(dir / "small.jpg", 60000, 60000);
  ASSERT_FALSE(jpeg.isEmpty());
  PictureFiles::WriteBytes(dir / "huge.jpg", jpeg);
  for (const char* name : {"huge.bmp", "huge.jpg"}) {
    SCOPED_TRACE(name);
    try {
      LoadPicture((dir / name).string());
      ADD_FAILURE() << "no error raised";
    } catch (const AppError& e) {
      EXPECT_EQ(e.Number(), platform::ErrorNumber::OutOfMemory);
      EXPECT_NE(e.Description().find("too large"), std::string::npos) << e.Description();
    }
  }
}

TEST_F(PictureDecoderTest, PicturesBeyondQtsDefaultAllocationLimitOpen) {
  // 36 megapixels: Qt would refuse its 144 MB while decoding unless the limit is raised.
  QImage big(6000, 6000, QImage::Format_RGB888);
  big.fill(qRgb(10, 120, 230));
  auto path = dir / "big.png";
  PictureFiles::Save(big, path, "PNG", 80);
  big = QImage();
  gdi::PicturePtr picture = LoadPicture(path.string());
  const gdi::Bitmap& b = *picture->Handle();
  EXPECT_EQ(b.Width(), 6000);
  EXPECT_EQ(b.Height(), 6000);
  EXPECT_EQ(PictureFiles::PixelOf(b, 5999, 5999), qRgb(10, 120, 230));
}
