#include "formats/png/PngReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

#include "formats/PictureDecoder.h"
#include "formats/PictureHeader.h"
#include "formats/SamePixels.h"
#include "formats/png/PngKinds.h"
#include "platform/base/AppError.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace {

std::vector<uint8_t> Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Save(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct Kind {
  const char* name;
  const char* shape;
};

class PngReaderTest : public ::testing::TestWithParam<Kind> {
 protected:
  TempDir dir;
};

}  // namespace

// Pillow decodes, the script lays the alpha over the window's background:
// every pixel of ours must be the same.
TEST_P(PngReaderTest, ReadsEveryPixelAsPillowDoes) {
  const auto path = dir / "kind.png", expected = dir / "expected.rgb";
  ASSERT_TRUE(PillowImage::Run(kPngKindsScript, {path.string(), GetParam().shape, expected.string()}));
  const std::vector<uint8_t> rgb = Bytes(expected);
  const formats::DecodedBitmap decoded = formats::PngReader::Decode(Bytes(path));
  ASSERT_TRUE(decoded.bitmap);
  EXPECT_EQ(decoded.damage, "");
  const gdi::Bitmap& bitmap = *decoded.bitmap;
  ASSERT_EQ(rgb.size(), 3u * static_cast<size_t>(bitmap.Width()) * static_cast<size_t>(bitmap.Height()));
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      const uint8_t* ours = bitmap.Row(y) + 3 * x;
      const uint8_t* theirs =
          rgb.data() + 3 * (static_cast<size_t>(y) * static_cast<size_t>(bitmap.Width()) + x);
      ASSERT_TRUE(ours[0] == theirs[2] && ours[1] == theirs[1] && ours[2] == theirs[0])
          << "pixel " << x << "," << y << ": ours " << int{ours[2]} << "," << int{ours[1]} << ","
          << int{ours[0]} << " against " << int{theirs[0]} << "," << int{theirs[1]} << "," << int{theirs[2]};
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PngReaderTest,
    ::testing::Values(Kind{"Grey1", "{'w': 19, 'h': 7, 'ct': 0, 'depth': 1}"},
                      Kind{"Grey2", "{'w': 13, 'h': 5, 'ct': 0, 'depth': 2}"},
                      Kind{"Grey4", "{'w': 11, 'h': 6, 'ct': 0, 'depth': 4}"},
                      Kind{"Grey8", "{'w': 17, 'h': 9, 'ct': 0, 'depth': 8}"},
                      Kind{"Grey16", "{'w': 9, 'h': 8, 'ct': 0, 'depth': 16}"},
                      Kind{"Grey8Transparent", "{'w': 17, 'h': 9, 'ct': 0, 'depth': 8, 'trns': True}"},
                      Kind{"GreyAlpha8", "{'w': 15, 'h': 7, 'ct': 4, 'depth': 8}"},
                      Kind{"GreyAlpha16", "{'w': 15, 'h': 7, 'ct': 4, 'depth': 16}"},
                      Kind{"Palette1", "{'w': 21, 'h': 5, 'ct': 3, 'depth': 1}"},
                      Kind{"Palette2", "{'w': 13, 'h': 5, 'ct': 3, 'depth': 2}"},
                      Kind{"Palette4", "{'w': 13, 'h': 6, 'ct': 3, 'depth': 4}"},
                      Kind{"Palette8", "{'w': 23, 'h': 12, 'ct': 3, 'depth': 8}"},
                      Kind{"Palette8Transparent", "{'w': 23, 'h': 12, 'ct': 3, 'depth': 8, 'trns': True}"},
                      Kind{"Rgb8", "{'w': 14, 'h': 10, 'ct': 2, 'depth': 8}"},
                      Kind{"Rgb16", "{'w': 14, 'h': 10, 'ct': 2, 'depth': 16}"},
                      Kind{"Rgb8Transparent", "{'w': 14, 'h': 10, 'ct': 2, 'depth': 8, 'trns': True}"},
                      Kind{"Rgba8", "{'w': 16, 'h': 11, 'ct': 6, 'depth': 8}"},
                      Kind{"Rgba16", "{'w': 16, 'h': 11, 'ct': 6, 'depth': 16}"},
                      Kind{"InterlacedGrey1", "{'w': 19, 'h': 13, 'ct': 0, 'depth': 1, 'interlace': True}"},
                      Kind{"InterlacedPalette4", "{'w': 10, 'h': 9, 'ct': 3, 'depth': 4, 'interlace': True}"},
                      Kind{"InterlacedRgb8", "{'w': 33, 'h': 17, 'ct': 2, 'depth': 8, 'interlace': True}"},
                      Kind{"InterlacedRgba16", "{'w': 7, 'h': 5, 'ct': 6, 'depth': 16, 'interlace': True}"},
                      Kind{"InterlacedOnePixel", "{'w': 1, 'h': 1, 'ct': 2, 'depth': 8, 'interlace': True}"}),
    [](const auto& p) { return std::string(p.param.name); });

namespace {

// A 64 x 48 RGB picture, then changed by `spoil` before it is read.
struct Damage {
  const char* name;
  const char* shape;
  void (*spoil)(std::vector<uint8_t>& file);
  // Refused as no picture at all, rather than read in part.
  bool noPicture;
  const char* words;
};

size_t IdatData(const std::vector<uint8_t>& file) {
  const std::string text(file.begin(), file.end());
  return text.find("IDAT") + 4;
}

platform::AppError RaisedBy(const std::function<void()>& call) {
  try {
    call();
  } catch (const platform::AppError& e) {
    return e;
  }
  return platform::AppError(0, "", "no error");
}

void Keep(std::vector<uint8_t>&) {}

class PngDamageTest : public ::testing::TestWithParam<Damage> {
 protected:
  TempDir dir;
};

}  // namespace

TEST_P(PngDamageTest, IsRefusedInWords) {
  const auto path = dir / "damaged.png";
  ASSERT_TRUE(PillowImage::Run(kPngKindsScript, {path.string(), GetParam().shape}));
  std::vector<uint8_t> file = Bytes(path);
  GetParam().spoil(file);
  Save(path, file);
  const platform::AppError error = RaisedBy([&] { formats::LoadPicture(path.string()); });
  EXPECT_EQ(error.Number(), platform::ErrorNumber::InvalidPicture);
  EXPECT_NE(error.Description().find(GetParam().words), std::string::npos) << error.Description();
  if (!GetParam().noPicture) {
    // Accepted, it gives the rows before the damage and black after them.
    const gdi::PicturePtr picture = formats::LoadPicture(path.string(), formats::Damage::Accept);
    ASSERT_EQ(picture->Width(), 64);
    const uint8_t* last = picture->Handle()->Row(47);
    EXPECT_EQ(last[0] + last[1] + last[2] + last[3 * 63], 0);
  }
}

constexpr const char* kRgb = "{'w': 64, 'h': 48, 'ct': 2, 'depth': 8}";

INSTANTIATE_TEST_SUITE_P(
    Files, PngDamageTest,
    ::testing::Values(
        Damage{"CutShort", kRgb, [](std::vector<uint8_t>& f) { f.resize(IdatData(f) + 200); }, false,
               "The picture is damaged: the file ends before the end of its pixels"},
        Damage{"CorruptPixels", kRgb,
               [](std::vector<uint8_t>& f) {
                 for (size_t i = IdatData(f) + 40; i < IdatData(f) + 80; ++i) f[i] ^= 0x5A;
               },
               false, "The picture is damaged: "},
        // 12000 x 12000 pixels announced by a file of a few kilobytes.
        Damage{"LyingHeader", "{'w': 64, 'h': 48, 'ct': 2, 'depth': 8, 'claim': (12000, 12000)}", Keep, true,
               "The picture is damaged: its header announces 12000 x 12000 pixels"},
        Damage{"BrokenHeader", kRgb, [](std::vector<uint8_t>& f) { f[13] = 'X'; }, true, "Invalid picture"},
        Damage{"SignatureAlone", kRgb, [](std::vector<uint8_t>& f) { f.resize(8); }, true,
               "Invalid picture"}),
    [](const auto& p) { return std::string(p.param.name); });

// An interlaced picture's rows are all held while its passes come in: three
// bytes a pixel, four where any may be transparent, whatever the file's depth.
TEST(PngHeaderTest, SizesAPngForTheMemoryBudget) {
  TempDir dir;
  const struct {
    const char* shape;
    uint64_t workingBytes;
  } cases[] = {
      {"{'w': 300, 'h': 7, 'ct': 0, 'depth': 1}", 0},
      {"{'w': 300, 'h': 7, 'ct': 2, 'depth': 16}", 0},
      {"{'w': 300, 'h': 7, 'ct': 0, 'depth': 1, 'interlace': 1}", 3 * 300 * 7},
      {"{'w': 300, 'h': 7, 'ct': 2, 'depth': 16, 'interlace': 1}", 3 * 300 * 7},
      {"{'w': 300, 'h': 7, 'ct': 4, 'depth': 8, 'interlace': 1}", 4 * 300 * 7},
      {"{'w': 300, 'h': 7, 'ct': 3, 'depth': 4, 'interlace': 1, 'trns': 1}", 4 * 300 * 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shape);
    const auto path = dir / "sized.png";
    ASSERT_TRUE(PillowImage::Run(kPngKindsScript, {path.string(), c.shape}));
    const std::optional<formats::PictureHeader> header = formats::PictureHeader::Read(path.string());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 300);
    EXPECT_EQ(header->height, 7);
    EXPECT_EQ(header->encodedBytes, std::filesystem::file_size(path));
    EXPECT_EQ(header->workingBytes, c.workingBytes);
  }
}

namespace {

struct Part {
  const char* name;
  const char* shape;
  gdi::Rect wanted;
  // Cut the file this far into its pixel data; 0 keeps it whole.
  size_t cutAt;
  // Nothing comes back: the whole decode takes over.
  bool whole;
};

class PngRegionTest : public ::testing::TestWithParam<Part> {
 protected:
  TempDir dir;
};

}  // namespace

// A part is the whole decode's pixels, clipped to the picture; rows past it
// are never decoded, so damage there is not seen.
TEST_P(PngRegionTest, GivesTheWholeDecodesPixels) {
  const Part& part = GetParam();
  const auto path = dir / "part.png";
  ASSERT_TRUE(PillowImage::Run(kPngKindsScript, {path.string(), part.shape}));
  const std::vector<uint8_t> whole = Bytes(path);
  std::vector<uint8_t> file = whole;
  if (part.cutAt) file.resize(IdatData(file) + part.cutAt);
  const auto region = formats::PngReader::DecodeRegion(file, [&](int32_t, int32_t) { return part.wanted; });
  ASSERT_EQ(!region, part.whole);
  if (!region) return;
  EXPECT_EQ(region->damage, "");
  const auto reference = formats::PngReader::Decode(whole).bitmap;
  const gdi::Bitmap& got = *region->picture->Handle();
  const int32_t left = std::max(part.wanted.left, 0), top = std::max(part.wanted.top, 0);
  EXPECT_EQ(region->left, left);
  EXPECT_EQ(region->top, top);
  EXPECT_EQ(got.Width(), std::min(part.wanted.right, reference->Width()) - left);
  EXPECT_EQ(got.Height(), std::min(part.wanted.bottom, reference->Height()) - top);
  EXPECT_TRUE(SamePixels(got, 0, 0, *reference, left, top, got.Width(), got.Height()));
}

INSTANTIATE_TEST_SUITE_P(
    Parts, PngRegionTest,
    ::testing::Values(
        Part{"Middle", "{'w': 64, 'h': 48, 'ct': 2, 'depth': 8}", {10, 5, 26, 21}, 0, false},
        Part{"PastTheEdges", "{'w': 64, 'h': 48, 'ct': 6, 'depth': 8}", {-8, -8, 8, 8}, 0, false},
        Part{"Palette", "{'w': 37, 'h': 20, 'ct': 3, 'depth': 4}", {30, 10, 40, 25}, 0, false},
        // 64 rows of 6 x 256 bytes, hardly compressed, in chunks of 4 kB: the top rows end well before the
        // cut.
        Part{"AboveTheDamage",
             "{'w': 256, 'h': 64, 'ct': 2, 'depth': 16, 'idat': 4096}",
             {0, 0, 16, 2},
             20000,
             false},
        Part{"Interlaced",
             "{'w': 64, 'h': 48, 'ct': 2, 'depth': 8, 'interlace': True}",
             {0, 0, 8, 8},
             0,
             true},
        Part{"Outside", "{'w': 64, 'h': 48, 'ct': 2, 'depth': 8}", {70, 0, 80, 8}, 0, true}),
    [](const auto& p) { return std::string(p.param.name); });
