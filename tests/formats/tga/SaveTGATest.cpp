#include "formats/tga/SaveTGA.h"

#include <gtest/gtest.h>

#include "support/pure/ErrorOf.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "platform/base/AppError.h"
#include "platform/base/MemorySink.h"
#include "platform/base/Screen.h"
#include "platform/gdi/MemorySurface.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;
using platform::AppError;
namespace ErrorNumber = platform::ErrorNumber;
using Bytes = std::vector<uint8_t>;

namespace {

struct Px {
  uint8_t b, g, r;
  bool operator==(const Px&) const = default;
};
using Rows = std::vector<std::vector<Px>>;  // top row first, as the surface shows it

const Px A{1, 2, 3}, B{4, 5, 6}, C{7, 8, 9}, D{10, 11, 12};

std::unique_ptr<gdi::MemorySurface> SurfaceOf(const Rows& rows) {
  auto height = static_cast<int32_t>(rows.size());
  auto width = static_cast<int32_t>(rows.front().size());
  auto surface = std::make_unique<gdi::MemorySurface>(width, height);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = surface->Image().MutableRow(y);
    for (int32_t x = 0; x < width; ++x) {
      row[3 * x] = rows[y][x].b;
      row[3 * x + 1] = rows[y][x].g;
      row[3 * x + 2] = rows[y][x].r;
    }
  }
  return surface;
}

// The pixel bytes a Targa file holds for the rows: bottom row first, no padding.
Bytes FilePixels(const Rows& rows) {
  Bytes out;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    for (const Px& p : *row) out.insert(out.end(), {p.b, p.g, p.r});
  }
  return out;
}

Bytes Header(uint8_t type, int width, int height) {
  return {0,
          0,
          type,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          static_cast<uint8_t>(width & 0xFF),
          static_cast<uint8_t>(width >> 8),
          static_cast<uint8_t>(height & 0xFF),
          static_cast<uint8_t>(height >> 8),
          24,
          0};
}

Bytes RunPacket(int n, Px p) { return {static_cast<uint8_t>(127 + n), p.b, p.g, p.r}; }

Bytes RawPacket(const std::vector<Px>& pixels) {
  Bytes out{static_cast<uint8_t>(pixels.size() - 1)};
  for (const Px& p : pixels) out.insert(out.end(), {p.b, p.g, p.r});
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

size_t EntryCount(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Every pixel differs from its right-hand neighbour: no two equal neighbours in a row.
std::vector<Px> AllDifferent(int count) {
  std::vector<Px> row;
  row.reserve(count);
  for (int i = 0; i < count; ++i) row.push_back(Px{static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8), 0});
  return row;
}

// Decodes run-length packets strictly: a packet crossing a row end, a run of
// one, a short or over-long stream is malformed.
std::optional<Bytes> DecodeRle(std::span<const uint8_t> data, int width, int height) {
  Bytes pixels;
  size_t at = 0;
  for (int y = 0; y < height; ++y) {
    int x = 0;
    while (x < width) {
      if (at >= data.size()) return std::nullopt;
      const uint8_t head = data[at++];
      const bool run = head & 0x80;
      const int n = (head & 0x7F) + 1;
      if ((run && n < 2) || x + n > width) return std::nullopt;
      const size_t bytes = run ? 3 : 3 * static_cast<size_t>(n);
      if (at + bytes > data.size()) return std::nullopt;
      for (int i = 0; i < n; ++i) {
        const uint8_t* p = &data[at + (run ? 0 : 3 * i)];
        pixels.insert(pixels.end(), p, p + 3);
      }
      at += bytes;
      x += n;
    }
  }
  if (at != data.size()) return std::nullopt;
  return pixels;
}

bool SamePixelAt(const Bytes& pixels, size_t i, size_t j) {
  return pixels[3 * i] == pixels[3 * j] && pixels[3 * i + 1] == pixels[3 * j + 1] &&
         pixels[3 * i + 2] == pixels[3 * j + 2];
}

// Walks the packets again and reports the first one that was not taken greedily.
std::string GreedyFault(std::span<const uint8_t> data, const Bytes& pixels, int width) {
  size_t at = 0, pixel = 0;
  while (at < data.size()) {
    const uint8_t head = data[at];
    const bool run = head & 0x80;
    const size_t n = (head & 0x7F) + 1u;
    const size_t rowEnd = (pixel / width + 1) * width;
    if (run && n < 128 && pixel + n < rowEnd && SamePixelAt(pixels, pixel, pixel + n)) {
      return "run stops early at pixel " + std::to_string(pixel);
    }
    if (!run) {
      for (size_t i = pixel; i < pixel + n; ++i) {
        if (i + 1 < rowEnd && SamePixelAt(pixels, i, i + 1))
          return "raw pixel " + std::to_string(i) + " starts a run";
      }
    }
    at += 1 + (run ? 3 : 3 * n);
    pixel += n;
  }
  return "";
}

class SaveTGAFile : public ::testing::Test {
 protected:
  Bytes Save(const Rows& rows, bool compress, const std::string& name = "map.tga") {
    auto surface = SurfaceOf(rows);
    SaveTGA().SaveTGAinFile((dir_ / name).string(), *surface, compress);
    return ReadAll(dir_ / name);
  }

  TempDir dir_;
};

Rows OneColour(int size, Px p) { return Rows(size, std::vector<Px>(size, p)); }

}  // namespace

TEST_F(SaveTGAFile, OnePixelBothTypes) {
  EXPECT_EQ(Save({{A}}, false), Concat({Header(2, 1, 1), {A.b, A.g, A.r}}));
  EXPECT_EQ(Save({{A}}, true), Concat({Header(10, 1, 1), {0x00, A.b, A.g, A.r}}));
}

TEST_F(SaveTGAFile, OneColourSquaresOf128And256) {
  for (int size : {128, 256}) {
    const Rows rows = OneColour(size, C);
    EXPECT_EQ(Save(rows, false), Concat({Header(2, size, size), FilePixels(rows)})) << size;
    Bytes expected = Header(10, size, size);
    for (int row = 0; row < size; ++row) {
      for (int part = 0; part < size / 128; ++part) expected = Concat({expected, RunPacket(128, C)});
    }
    const Bytes compressed = Save(rows, true);
    EXPECT_EQ(compressed.size(), size == 128 ? 530u : 2066u);
    EXPECT_EQ(compressed, expected) << size;
  }
  EXPECT_EQ(Save(OneColour(128, C), false).size(), 49170u);
  EXPECT_EQ(Save(OneColour(256, C), false).size(), 196626u);
}

TEST_F(SaveTGAFile, RowPacketsOfTheKnownShapes) {
  struct Case {
    const char* name;
    std::vector<Px> row;
    Bytes packets;
  };
  std::vector<Px> equal130(130, D);
  std::vector<Px> different200 = AllDifferent(200);
  std::vector<Px> different127ThenPair = AllDifferent(127);
  different127ThenPair.insert(different127ThenPair.end(), {D, D});
  const Case cases[] = {
      {"A A A B C C", {A, A, A, B, C, C}, Concat({RunPacket(3, A), RawPacket({B}), RunPacket(2, C)})},
      {"four different", {A, B, C, D}, RawPacket({A, B, C, D})},
      {"130 equal", equal130, Concat({RunPacket(128, D), RunPacket(2, D)})},
      {"200 different", different200,
       Concat({RawPacket({different200.begin(), different200.begin() + 128}),
               RawPacket({different200.begin() + 128, different200.end()})})},
      {"raw then run at the end", {A, B, C, C}, Concat({RawPacket({A, B}), RunPacket(2, C)})},
      {"two equal only", {B, B}, RunPacket(2, B)},
      {"127 different then a pair, at the packet limit", different127ThenPair,
       Concat(
           {RawPacket({different127ThenPair.begin(), different127ThenPair.begin() + 127}), RunPacket(2, D)})},
  };
  for (const Case& c : cases) {
    const Bytes file = Save({c.row}, true);
    EXPECT_EQ(file, Concat({Header(10, static_cast<int>(c.row.size()), 1), c.packets})) << c.name;
  }
  EXPECT_EQ(Save({different127ThenPair}, true).size(), 404u);
}

TEST_F(SaveTGAFile, EqualPairIsFoundWhereverItLies) {
  const int width = 40;
  for (int at = 0; at + 1 < width; ++at) {
    std::vector<Px> row = AllDifferent(width);
    row[at + 1] = row[at];
    Bytes packets;
    if (at > 0) packets = RawPacket({row.begin(), row.begin() + at});
    packets = Concat({packets, RunPacket(2, row[at])});
    if (at + 2 < width) packets = Concat({packets, RawPacket({row.begin() + at + 2, row.end()})});
    EXPECT_EQ(Save({row}, true), Concat({Header(10, width, 1), packets})) << at;
  }
}

TEST_F(SaveTGAFile, PacketsNeverJoinTwoRows) {
  // Bottom row A B, the row above B C: B ends one row and begins the next.
  EXPECT_EQ(Save({{B, C}, {A, B}}, true), Concat({Header(10, 2, 2), RawPacket({A, B}), RawPacket({B, C})}));
  // Runs of one colour stop at every row end.
  EXPECT_EQ(Save({{A, A}, {A, A}, {A, A}}, true),
            Concat({Header(10, 2, 3), RunPacket(2, A), RunPacket(2, A), RunPacket(2, A)}));
  // One pixel per row: every pixel is a raw packet of its own.
  EXPECT_EQ(Save({{A}, {A}}, true), Concat({Header(10, 1, 2), RawPacket({A}), RawPacket({A})}));
}

TEST_F(SaveTGAFile, WidthsFourAndFiveGiveUnpaddedRows) {
  for (int width : {4, 5}) {
    Rows rows;
    for (int y = 0; y < 3; ++y) {
      std::vector<Px> row;
      row.reserve(width);
      for (int x = 0; x < width; ++x)
        row.push_back(Px{static_cast<uint8_t>(10 * y + x), static_cast<uint8_t>(100 + y), 200});
      rows.push_back(row);
    }
    const Bytes file = Save(rows, false);
    EXPECT_EQ(file.size(), 18u + 3u * width * 3u) << width;
    EXPECT_EQ(file, Concat({Header(2, width, 3), FilePixels(rows)})) << width;
  }
}

TEST_F(SaveTGAFile, LongerOldFileIsReplacedWhole) {
  std::ofstream(dir_ / "map.tga", std::ios::binary) << std::string(100000, 'x');
  const Rows rows = {{A, B}, {C, D}};
  EXPECT_EQ(Save(rows, false), Concat({Header(2, 2, 2), FilePixels(rows)}));
  EXPECT_EQ(EntryCount(dir_.Path()), 1u);
}

TEST_F(SaveTGAFile, RandomPicturesRunLengthDecodeToTheRawPixels) {
  std::mt19937 random(20240611);
  const std::pair<int, int> sizes[] = {{1, 1},   {1, 9},   {9, 1},   {3, 5},
                                       {127, 3}, {129, 4}, {300, 5}, {257, 9}};
  for (auto [width, height] : sizes) {
    for (int colours : {1, 2, 3, 50, 100000}) {
      std::vector<Px> palette;
      for (int i = 0; i < std::min(colours, 4096); ++i) {
        palette.push_back(Px{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                             static_cast<uint8_t>(random())});
      }
      Rows rows(height, std::vector<Px>(width));
      for (auto& row : rows) {
        for (int x = 0; x < width;) {
          // Stretches of one colour, a few up to longer than a packet.
          const int length = std::min<int>(width - x, random() % 4 == 0 ? 1 + random() % 200 : 1);
          const Px p = palette[random() % palette.size()];
          for (int i = 0; i < length; ++i) row[x++] = p;
        }
      }
      const std::string where =
          std::to_string(width) + "x" + std::to_string(height) + "/" + std::to_string(colours);
      const Bytes raw = Save(rows, false);
      const Bytes rle = Save(rows, true, "map-rle.tga");
      ASSERT_EQ(raw.size(), 18u + 3u * width * height) << where;
      ASSERT_EQ(Bytes(raw.begin(), raw.begin() + 18), Header(2, width, height)) << where;
      ASSERT_EQ(Bytes(rle.begin(), rle.begin() + 18), Header(10, width, height)) << where;
      const std::span<const uint8_t> packets(rle.data() + 18, rle.size() - 18);
      const auto decoded = DecodeRle(packets, width, height);
      ASSERT_TRUE(decoded.has_value()) << where;
      EXPECT_EQ(*decoded, Bytes(raw.begin() + 18, raw.end())) << where;
      EXPECT_EQ(*decoded, FilePixels(rows)) << where;
      EXPECT_EQ(GreedyFault(packets, *decoded, width), "") << where;
    }
  }
}

TEST_F(SaveTGAFile, EncoderInMemoryMatchesTheFile) {
  const Rows rows = {{A, A, B, C}, {D, D, D, D}, {A, B, A, B}};
  for (bool compress : {false, true}) {
    const Bytes pixels = FilePixels(rows);
    platform::MemorySink sink;
    SaveTGA::EncodeTGA(sink, pixels, 4, 3, compress);
    EXPECT_EQ(sink.Bytes(), Save(rows, compress)) << compress;
  }
}

TEST(SaveTGAEncoder, RejectsSizesTheHeaderCannotHoldAndPixelCountsThatDontFit) {
  platform::MemorySink sink;
  const Bytes pixels(3 * 4 * 2, 0);
  EXPECT_EQ(ErrorOf([&] { SaveTGA::EncodeTGA(sink, pixels, 4, 3, true); }), ErrorNumber::InvalidArgument);
  EXPECT_EQ(ErrorOf([&] { SaveTGA::EncodeTGA(sink, {}, 0, 2, false); }), ErrorNumber::InvalidArgument);
  EXPECT_EQ(ErrorOf([&] { SaveTGA::EncodeTGA(sink, {}, 2, 0, false); }), ErrorNumber::InvalidArgument);
  EXPECT_EQ(ErrorOf([&] { SaveTGA::EncodeTGA(sink, pixels, 32768, 1, false); }), ErrorNumber::Overflow);
  EXPECT_EQ(ErrorOf([&] { SaveTGA::EncodeTGA(sink, pixels, 1, 32768, true); }), ErrorNumber::Overflow);
  EXPECT_TRUE(sink.Bytes().empty());
}

TEST_F(SaveTGAFile, PillowReadsBothTypesAsTheSurfaceShowsThem) {
  std::mt19937 random(7);
  Rows rows(23, std::vector<Px>(37));
  const Px palette[] = {A, B, C, D, {255, 0, 0}, {0, 0, 255}};
  for (auto& row : rows) {
    for (Px& p : row) p = palette[random() % 3 == 0 ? random() % 6 : 0];
  }
  Bytes expectedRgb;
  for (const auto& row : rows) {
    for (const Px& p : row) expectedRgb.insert(expectedRgb.end(), {p.r, p.g, p.b});
  }
  for (bool compress : {false, true}) {
    Save(rows, compress);
    auto image = PillowImage::Read((dir_ / "map.tga").string());
    ASSERT_TRUE(image.has_value()) << compress;
    EXPECT_EQ(image->format, "TGA");
    EXPECT_EQ(image->mode, "RGB");
    EXPECT_EQ(image->width, 37);
    EXPECT_EQ(image->height, 23);
    EXPECT_EQ(image->rgb, expectedRgb) << compress;
  }
}

TEST_F(SaveTGAFile, UnusableSizesFailBeforeAnyFileIsTouched) {
  std::ofstream(dir_ / "map.tga") << "old";
  const std::pair<int, int> sizes[] = {{32768, 1}, {1, 32768}, {0, 4}, {4, 0}};
  const int32_t errors[] = {ErrorNumber::Overflow, ErrorNumber::Overflow, ErrorNumber::InvalidArgument,
                            ErrorNumber::InvalidArgument};
  for (size_t i = 0; i < std::size(sizes); ++i) {
    gdi::MemorySurface surface(sizes[i].first, sizes[i].second);
    for (const char* name : {"map.tga", "new.tga"}) {
      EXPECT_EQ(ErrorOf([&] { SaveTGA().SaveTGAinFile((dir_ / name).string(), surface, false); }), errors[i])
          << sizes[i].first << "x" << sizes[i].second;
    }
  }
  EXPECT_EQ(ReadAll(dir_ / "map.tga"), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(EntryCount(dir_.Path()), 1u);
}

TEST_F(SaveTGAFile, MissingFolderAndReadOnlyFileRaiseAndLeaveNothingBehind) {
  auto surface = SurfaceOf({{A, B}});
  EXPECT_EQ(ErrorOf([&] { SaveTGA().SaveTGAinFile((dir_ / "none" / "map.tga").string(), *surface, false); }),
            ErrorNumber::PathNotFound);
  EXPECT_FALSE(fs::exists(dir_ / "none"));

  std::ofstream(dir_ / "locked.tga") << "old";
  fs::permissions(dir_ / "locked.tga", fs::perms::owner_read | fs::perms::others_read);
  for (bool compress : {false, true}) {
    EXPECT_EQ(ErrorOf([&] { SaveTGA().SaveTGAinFile((dir_ / "locked.tga").string(), *surface, compress); }),
              ErrorNumber::PermissionDenied);
  }
  EXPECT_EQ(ReadAll(dir_ / "locked.tga"), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(EntryCount(dir_.Path()), 1u);
}

TEST_F(SaveTGAFile, MeasuresInPixelsAndGivesBothUnitsBack) {
  platform::Screen::SetTwipsPerPixel(15, 15);
  auto surface = SurfaceOf({{A, B, C}, {D, A, B}});
  surface->SetScaleMode(gdi::vbTwips);
  surface->Parent().SetScaleMode(7);
  SaveTGA().SaveTGAinFile((dir_ / "map.tga").string(), *surface, false);
  EXPECT_EQ(surface->ScaleMode(), gdi::vbTwips);
  EXPECT_EQ(surface->Parent().ScaleMode(), 7);
  EXPECT_EQ(ReadAll(dir_ / "map.tga"), Concat({Header(2, 3, 2), FilePixels({{A, B, C}, {D, A, B}})}));
}

namespace {

// A surface whose inside measures a fractional number of pixels, as a
// toolkit's can; it shows what an inner memory surface holds.
class FractionalSurface final : public gdi::PictureSurface {
 public:
  FractionalSurface(float width, float height, gdi::MemorySurface& inner)
      : width_(width), height_(height), inner_(inner) {}
  gdi::ScaleContainer& Parent() override { return inner_.Parent(); }
  int16_t ScaleMode() const override { return mode_; }
  void SetScaleMode(int16_t mode) override { mode_ = mode; }
  float ScaleWidth() const override { return mode_ == gdi::vbPixels ? width_ : -1.0f; }
  float ScaleHeight() const override { return mode_ == gdi::vbPixels ? height_ : -1.0f; }
  gdi::HDC hDC() override { return inner_.hDC(); }

 private:
  float width_;
  float height_;
  int16_t mode_ = gdi::vbTwips;
  gdi::MemorySurface& inner_;
};

}  // namespace

TEST_F(SaveTGAFile, FractionalSizesRoundHalfToEven) {
  auto inner = SurfaceOf(OneColour(8, B));
  const struct {
    float width, height;
    int expectedWidth, expectedHeight;
  } cases[] = {{4.5f, 5.5f, 4, 6}, {2.5f, 3.5f, 2, 4}, {6.4f, 6.6f, 6, 7}};
  for (const auto& c : cases) {
    FractionalSurface surface(c.width, c.height, *inner);
    SaveTGA().SaveTGAinFile((dir_ / "map.tga").string(), surface, false);
    const Bytes file = ReadAll(dir_ / "map.tga");
    ASSERT_GE(file.size(), 18u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 18), Header(2, c.expectedWidth, c.expectedHeight))
        << c.width;
    EXPECT_EQ(file.size(), 18u + 3u * c.expectedWidth * c.expectedHeight) << c.width;
  }
}
