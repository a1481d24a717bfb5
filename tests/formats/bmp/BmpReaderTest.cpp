#include "formats/bmp/BmpReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "formats/PictureDecoder.h"
#include "formats/SamePixels.h"
#include "formats/qt/QtPictureReader.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

using platform::AppError;

namespace {

constexpr const char* kPattern =
    "w, h = int(sys.argv[2]), int(sys.argv[3])\n"
    "im = Image.new('RGB', (w, h))\n"
    "im.putdata([((x * 37 + y * 11) % 256, (x * 5 + y * 71) % 256, (x * 13 + y * 3 + 7) % 256)"
    " for y in range(h) for x in range(w)])\n"
    "im.convert(sys.argv[4]).save(sys.argv[1])\n";

std::vector<uint8_t> Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// The same picture with its rows stored top row first.
std::vector<uint8_t> TopDown(std::vector<uint8_t> bmp) {
  const auto height = static_cast<int32_t>(Get32(bmp, 22));
  const size_t offset = Get32(bmp, 10), stride = (bmp.size() - offset) / height;
  std::vector<uint8_t> flipped(bmp.begin(), bmp.begin() + static_cast<long>(offset));
  for (int32_t y = height - 1; y >= 0; --y) {
    auto row = bmp.begin() + static_cast<long>(offset + y * stride);
    flipped.insert(flipped.end(), row, row + static_cast<long>(stride));
  }
  Put32(flipped, 22, static_cast<uint32_t>(-height));
  return flipped;
}

// A 24-bit 4 x 3 BMP as a hand would write it.
std::vector<uint8_t> SmallBmp() {
  std::vector<uint8_t> b(54 + 3 * 12, 0x5A);
  std::fill(b.begin(), b.begin() + 54, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, 54);
  Put32(b, 14, 40);
  Put32(b, 18, 4);
  Put32(b, 22, 3);
  b[26] = 1;
  b[28] = 24;
  return b;
}

struct Kind {
  const char* mode;
  int width;
  int height;
  bool topDown;
};

class BmpKindTest : public ::testing::TestWithParam<Kind> {
 protected:
  TempDir dir;
};

}  // namespace

// Whatever reader takes a kind, the pixels are those Pillow and Qt's reader see.
TEST_P(BmpKindTest, ReadsThePixelsPillowAndQtRead) {
  const Kind k = GetParam();
  const auto path = dir / "picture.bmp";
  ASSERT_TRUE(
      PillowImage::Run(kPattern, {path.string(), std::to_string(k.width), std::to_string(k.height), k.mode}));
  if (k.topDown) Write(path, TopDown(Bytes(path)));
  const gdi::PicturePtr picture = formats::LoadPicture(path.string());
  const std::vector<uint8_t> file = Bytes(path);
  const std::unique_ptr<gdi::Bitmap> qt = formats::QtPictureReader::Decode(file);
  const auto pillow = PillowImage::Read(path.string());
  ASSERT_TRUE(pillow);
  const gdi::Bitmap& b = *picture->Handle();
  ASSERT_EQ(b.Width(), k.width);
  ASSERT_EQ(b.Height(), k.height);
  EXPECT_TRUE(SamePixels(b, 0, 0, *qt, 0, 0, k.width, k.height));
  for (int y = 0; y < k.height; ++y) {
    for (int x = 0; x < k.width; ++x) {
      const uint8_t* rgb = pillow->rgb.data() + 3 * (y * k.width + x);
      const uint8_t* bgr = b.Row(y) + 3 * x;
      ASSERT_EQ(bgr[2], rgb[0]) << x << "," << y;
      ASSERT_EQ(bgr[1], rgb[1]) << x << "," << y;
      ASSERT_EQ(bgr[0], rgb[2]) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, BmpKindTest,
                         ::testing::Values(Kind{"RGB", 1, 1, false}, Kind{"RGB", 5, 3, false},
                                           Kind{"RGB", 8, 7, false}, Kind{"RGBA", 5, 3, false},
                                           Kind{"RGBA", 1, 6, false}, Kind{"P", 7, 4, false},
                                           Kind{"L", 3, 5, false}, Kind{"1", 9, 2, false},
                                           Kind{"RGB", 5, 3, true}));

// Every kind but JPEG or PNG inside a BMP; only uncompressed bottom-up 24- and
// 32-bit rows are read straight into place.
TEST(BmpReaderTest, TakesEveryKindButEmbeddedOnesAndReadsFewDirectly) {
  struct Header {
    int bits;
    uint32_t compression;
    int32_t height;
    bool taken;
    bool direct;
  };
  const Header kHeaders[] = {{24, 0, 3, true, true},   {32, 0, 3, true, true},   {8, 0, 3, true, false},
                             {24, 0, -3, true, false}, {16, 3, 3, true, false},  {8, 1, 3, true, false},
                             {24, 4, 3, false, false}, {24, 5, 3, false, false}, {2, 0, 3, false, false},
                             {24, 1, 3, false, false}};
  for (const Header& h : kHeaders) {
    SCOPED_TRACE(std::to_string(h.bits) + " bits, compression " + std::to_string(h.compression));
    std::vector<uint8_t> b = SmallBmp();
    b[28] = static_cast<uint8_t>(h.bits);
    Put32(b, 30, h.compression);
    Put32(b, 22, static_cast<uint32_t>(h.height));
    b.resize(54 + 4 * 4 * 3 + 1024);
    const auto layout = formats::BmpReader::Read(b, b.size());
    EXPECT_EQ(layout.has_value(), h.taken);
    if (layout) {
      EXPECT_EQ(layout->Direct(), h.direct);
    }
  }
}

namespace {

struct Hostile {
  const char* name;
  void (*spoil)(std::vector<uint8_t>&);
  int32_t number;
  const char* words;
};

class HostileBmpTest : public ::testing::TestWithParam<Hostile> {
 protected:
  TempDir dir;
};

}  // namespace

TEST_P(HostileBmpTest, GivesAClearErrorWithoutReadingPastTheFile) {
  std::vector<uint8_t> b = SmallBmp();
  GetParam().spoil(b);
  const auto path = dir / "hostile.bmp";
  Write(path, b);
  try {
    formats::LoadPicture(path.string());
    ADD_FAILURE() << "no error raised";
  } catch (const AppError& e) {
    EXPECT_EQ(e.Number(), GetParam().number);
    EXPECT_NE(e.Description().find(GetParam().words), std::string::npos) << e.Description();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Headers, HostileBmpTest,
    ::testing::Values(
        Hostile{"WidthTimesHeightOverflows",
                [](auto& b) { Put32(b, 18, 0x7FFFFFFF), Put32(b, 22, 0x7FFFFFFF); }, 7, "too large"},
        Hostile{"OffsetPastTheEnd", [](auto& b) { Put32(b, 10, 4096); }, 481, "before its pixels start"},
        Hostile{"OffsetInsideTheHeader", [](auto& b) { Put32(b, 10, 20); }, 481, "inside its header"},
        Hostile{"NegativeWidth", [](auto& b) { Put32(b, 18, static_cast<uint32_t>(-4)); }, 481, "-4 x 3"},
        Hostile{"NoColumns", [](auto& b) { Put32(b, 18, 0); }, 481, "0 x 3"},
        Hostile{"NoRows", [](auto& b) { Put32(b, 22, 0); }, 481, "4 x 0"},
        Hostile{"CutShortByOneByte", [](auto& b) { b.pop_back(); }, 481, "ends 1 byte before"},
        Hostile{"MorePixelsThanTheFileHolds", [](auto& b) { Put32(b, 22, 30000); }, 481, "before the end"},
        Hostile{"HeaderCutShort", [](auto& b) { b.resize(40); }, 481, "inside its header"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BmpRegionTest, ReadsOnlyTheChosenRows) {
  TempDir dir;
  for (const char* mode : {"RGB", "RGBA"}) {
    SCOPED_TRACE(mode);
    const auto path = dir / (std::string(mode) + ".bmp");
    ASSERT_TRUE(PillowImage::Run(kPattern, {path.string(), "9", "8", mode}));
    const gdi::PicturePtr whole = formats::LoadPicture(path.string());
    const formats::PictureRegion region = formats::LoadPictureRegion(path.string(), [](int32_t, int32_t) {
      return gdi::Rect{3, 2, 5, 6};
    });
    const gdi::Bitmap& rows = *region.picture->Handle();
    EXPECT_EQ(region.top, 2);
    EXPECT_EQ(rows.Height(), 4);
    EXPECT_EQ(region.width, 9);
    EXPECT_EQ(region.height, 8);
    EXPECT_TRUE(SamePixels(rows, 0, 0, *whole->Handle(), 0, 2, 9, 4));
  }
}
