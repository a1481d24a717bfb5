#include "formats/PictureHeader.h"
#include "formats/jpeg/ExifOrientation.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using formats::ExifOrientation;
using formats::PictureHeader;

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v, bool little) {
  b.push_back(static_cast<uint8_t>(little ? v : v >> 8));
  b.push_back(static_cast<uint8_t>(little ? v >> 8 : v));
}

void Put32(Bytes& b, uint32_t v, bool little) {
  Put16(b, little ? v & 0xFFFF : v >> 16, little);
  Put16(b, little ? v >> 16 : v & 0xFFFF, little);
}

// A TIFF header and a first folder with one tag, 0x0112 unless told otherwise.
struct Tiff {
  bool little = true;
  uint32_t folderAt = 8;
  uint32_t entries = 1;
  uint32_t type = 3;
  uint32_t value = 6;
  uint32_t tag = 0x0112;

  Bytes Make() const {
    Bytes b = little ? Bytes{'I', 'I'} : Bytes{'M', 'M'};
    Put16(b, 42, little);
    Put32(b, folderAt, little);
    Put16(b, entries, little);
    Put16(b, tag, little);
    Put16(b, type, little);
    Put32(b, 1, little);
    Put16(b, value, little);
    Put16(b, 0, little);
    return b;
  }
};

Bytes CutShort(Bytes b, size_t by) {
  b.resize(b.size() - by);
  return b;
}

Bytes Segment(uint8_t marker, const Bytes& payload, int lengthError = 0) {
  Bytes b = {0xFF, marker};
  Put16(b, static_cast<uint32_t>(payload.size() + 2 + lengthError), false);
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}

Bytes Jpeg(const Bytes& tiff, int lengthError = 0, int width = 640, int height = 480) {
  Bytes b = {0xFF, 0xD8};
  Bytes exif = {'E', 'x', 'i', 'f', 0, 0};
  exif.insert(exif.end(), tiff.begin(), tiff.end());
  Bytes app1 = Segment(0xE1, exif, lengthError);
  b.insert(b.end(), app1.begin(), app1.end());
  Bytes frame = {8};
  Put16(frame, static_cast<uint32_t>(height), false);
  Put16(frame, static_cast<uint32_t>(width), false);
  frame.push_back(3);
  Bytes sof = Segment(0xC0, frame);
  if (lengthError == 0) b.insert(b.end(), sof.begin(), sof.end());
  b.insert(b.end(), {0xFF, 0xDA});
  return b;
}

struct OrientationCase {
  const char* name;
  Bytes file;
  int expected;
};

Tiff With(void (*change)(Tiff&)) {
  Tiff t;
  change(t);
  return t;
}

class ExifOrientationRead : public testing::TestWithParam<OrientationCase> {};

}  // namespace

TEST_P(ExifOrientationRead, TakesOnlyWhatTheBytesHold) {
  EXPECT_EQ(ExifOrientation::Of(GetParam().file), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExifOrientationRead,
    testing::Values(OrientationCase{"IntelOrder", Jpeg(Tiff{}.Make()), 6},
                    OrientationCase{"MotorolaOrder",
                                    Jpeg(With([](Tiff& tiff) { tiff.little = false; }).Make()), 6},
                    OrientationCase{"TiffFile", With([](Tiff& tiff) { tiff.value = 8; }).Make(), 8},
                    OrientationCase{"NoExif", Bytes{0xFF, 0xD8, 0xFF, 0xDA}, 1},
                    OrientationCase{"Empty", Bytes{}, 1},
                    OrientationCase{"OutOfRange", Jpeg(With([](Tiff& tiff) { tiff.value = 9; }).Make()), 1},
                    OrientationCase{"Zero", Jpeg(With([](Tiff& tiff) { tiff.value = 0; }).Make()), 1},
                    OrientationCase{"NotAShort", Jpeg(With([](Tiff& tiff) { tiff.type = 4; }).Make()), 1},
                    OrientationCase{"OtherTag", Jpeg(With([](Tiff& tiff) { tiff.tag = 0x0110; }).Make()), 1},
                    OrientationCase{"FolderPastTheEnd",
                                    Jpeg(With([](Tiff& tiff) { tiff.folderAt = 0xFFFFFFF0; }).Make()), 1},
                    OrientationCase{"MoreEntriesThanBytes", Jpeg(With([](Tiff& tiff) {
                                                                   tiff.entries = 0xFFFF;
                                                                   tiff.tag = 0x0100;
                                                                 }).Make()),
                                    1},
                    OrientationCase{"SegmentLongerThanTheFile", Jpeg(Tiff{}.Make(), 4000), 6},
                    OrientationCase{"SegmentCutInsideTheTag", Jpeg(CutShort(Tiff{}.Make(), 6)), 1},
                    OrientationCase{"SegmentShorterThanItsHeader", Jpeg(Tiff{}.Make(), -30), 1}),
    [](const testing::TestParamInfo<OrientationCase>& test) { return std::string(test.param.name); });

namespace {

struct HeaderCase {
  const char* name;
  Bytes head;
  std::optional<std::pair<int64_t, int64_t>> size;
  int orientation;
};

Bytes Bmp(uint32_t headerBytes, int32_t width, int32_t height) {
  Bytes b = {'B', 'M'};
  b.resize(14);
  Put32(b, headerBytes, true);
  if (headerBytes == 12) {
    Put16(b, static_cast<uint32_t>(width), true);
    Put16(b, static_cast<uint32_t>(height), true);
  } else {
    Put32(b, static_cast<uint32_t>(width), true);
    Put32(b, static_cast<uint32_t>(height), true);
  }
  b.resize(64);
  return b;
}

Bytes Png(uint32_t width, uint32_t height) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  Put32(b, width, false);
  Put32(b, height, false);
  return b;
}

// The rest of the header: 8-bit RGB, interlaced.
Bytes Interlaced(Bytes png) {
  png.insert(png.end(), {8, 2, 0, 0, 1});
  return png;
}

class PictureHeaderRead : public testing::TestWithParam<HeaderCase> {};

}  // namespace

TEST_P(PictureHeaderRead, GivesTheDeclaredSize) {
  const std::optional<PictureHeader> header = PictureHeader::Of(GetParam().head);
  ASSERT_EQ(header.has_value(), GetParam().size.has_value());
  if (!header) return;
  EXPECT_EQ(header->width, GetParam().size->first);
  EXPECT_EQ(header->height, GetParam().size->second);
  EXPECT_EQ(header->orientation, GetParam().orientation);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PictureHeaderRead,
    testing::Values(
        HeaderCase{"JpegWithOrientation", Jpeg(Tiff{}.Make(), 0, 4000, 3000), {{4000, 3000}}, 6},
        HeaderCase{"JpegWithoutFrame", Jpeg(Tiff{}.Make(), 4000), std::nullopt, 1},
        HeaderCase{"BmpTopDown", Bmp(40, 300, -200), {{300, 200}}, 1},
        HeaderCase{"BmpCore", Bmp(12, 30, 20), {{30, 20}}, 1},
        HeaderCase{"BmpNoWidth", Bmp(40, 0, 20), std::nullopt, 1},
        HeaderCase{"Gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 0x2C, 0x01, 0xC8, 0x00}, {{300, 200}}, 1},
        HeaderCase{"Png", Png(70000, 3), {{70000, 3}}, 1},
        HeaderCase{"PngCut", CutShort(Png(7, 3), 1), std::nullopt, 1},
        HeaderCase{"PngInterlaced", Interlaced(Png(7, 3)), {{7, 3}}, 1},
        // Found by fuzzing: the sides' product overflowed.
        HeaderCase{"PngBeyondItsFormat", Interlaced(Png(0xFFFFFFFF, 0xFFFFFF01)), std::nullopt, 1},
        HeaderCase{"Unknown", Bytes{'I', 'I', 42, 0}, std::nullopt, 1}),
    [](const testing::TestParamInfo<HeaderCase>& test) { return std::string(test.param.name); });
