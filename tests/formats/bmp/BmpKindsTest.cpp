#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/PictureDecoder.h"
#include "platform/base/AppError.h"
#include "support/pure/TempDir.h"

namespace {

// Eight colours whose channels are all or nothing, so every depth holds them exactly.
uint32_t ColourOf(unsigned index) {
  return ((index & 4) ? 0xFF0000u : 0) | ((index & 2) ? 0xFF00u : 0) | ((index & 1) ? 0xFFu : 0);
}

// The file's kind, for the one-bit kind's two colours.
int gBits = 8;
unsigned IndexAt(int x, int y) { return static_cast<unsigned>(x * 3 + y * 5) % (gBits == 1 ? 2 : 8); }

void Put(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct BmpKind {
  const char* name;
  int bits;
  uint32_t compression;
  bool topDown;
  uint32_t infoBytes;  // 12 for the old core header
  uint32_t masks[3];   // red, green, blue; for bit fields
};

std::vector<uint8_t> Row(const BmpKind& k, int width, int y) {
  std::vector<uint8_t> row;
  if (k.bits <= 8) {
    row.resize((static_cast<size_t>(width) * k.bits + 31) / 32 * 4);
    for (int x = 0; x < width; ++x) {
      const size_t bit = static_cast<size_t>(x) * k.bits;
      row[bit / 8] |= static_cast<uint8_t>(IndexAt(x, y) << (8 - k.bits - bit % 8));
    }
    return row;
  }
  const int bytes = k.bits / 8;
  row.resize((static_cast<size_t>(width) * bytes + 3) / 4 * 4);
  for (int x = 0; x < width; ++x) {
    const uint32_t rgb = ColourOf(IndexAt(x, y));
    uint32_t pixel = 0;
    for (int c = 0; c < 3; ++c) {
      const uint32_t full = (rgb >> (16 - 8 * c)) & 0xFF;
      pixel |= full ? k.masks[c] : 0;
    }
    Put(row, static_cast<size_t>(x) * bytes, pixel, bytes);
  }
  return row;
}

// Runs of equal indices, at most 255 long, each row ended; RLE4 packs the
// index in both halves of the byte, so every run is one colour.
std::vector<uint8_t> Runs(const BmpKind& k, int width, int height) {
  std::vector<uint8_t> out;
  // Bottom row first, as every run-length BMP is stored.
  for (int stored = 0; stored < height; ++stored) {
    const int y = height - 1 - stored;
    for (int x = 0; x < width;) {
      int n = 1;
      while (x + n < width && n < 255 && IndexAt(x + n, y) == IndexAt(x, y)) ++n;
      const unsigned i = IndexAt(x, y);
      out.push_back(static_cast<uint8_t>(n));
      out.push_back(static_cast<uint8_t>(k.bits == 4 ? (i << 4 | i) : i));
      x += n;
    }
    out.insert(out.end(), {0, 0});
  }
  out.insert(out.end(), {0, 1});
  return out;
}

std::vector<uint8_t> MakeBmp(const BmpKind& k, int width, int height) {
  gBits = k.bits;
  const bool core = k.infoBytes == 12;
  const size_t masks = k.compression == 3 && k.infoBytes == 40 ? 12 : 0;
  const size_t paletteEntries = k.bits <= 8 ? size_t{1} << k.bits : 0;
  const size_t offset = 14 + k.infoBytes + masks + paletteEntries * (core ? 3 : 4);
  std::vector<uint8_t> b(offset, 0);
  b[0] = 'B', b[1] = 'M';
  Put(b, 10, static_cast<uint32_t>(offset), 4);
  Put(b, 14, k.infoBytes, 4);
  if (core) {
    Put(b, 18, static_cast<uint32_t>(width), 2);
    Put(b, 20, static_cast<uint32_t>(height), 2);
    Put(b, 22, 1, 2);
    Put(b, 24, static_cast<uint32_t>(k.bits), 2);
  } else {
    Put(b, 18, static_cast<uint32_t>(width), 4);
    Put(b, 22, static_cast<uint32_t>(k.topDown ? -height : height), 4);
    Put(b, 26, 1, 2);
    Put(b, 28, static_cast<uint32_t>(k.bits), 2);
    Put(b, 30, k.compression, 4);
    if (k.compression == 3)
      for (int c = 0; c < 3; ++c) Put(b, 54 + 4 * static_cast<size_t>(c), k.masks[c], 4);
  }
  for (size_t i = 0; i < paletteEntries; ++i)
    Put(b, 14 + k.infoBytes + masks + i * (core ? 3 : 4), ColourOf(static_cast<unsigned>(i % 8)), 3);
  if (k.compression == 1 || k.compression == 2) {
    const std::vector<uint8_t> runs = Runs(k, width, height);
    b.insert(b.end(), runs.begin(), runs.end());
  } else {
    for (int stored = 0; stored < height; ++stored) {
      const std::vector<uint8_t> row = Row(k, width, k.topDown ? stored : height - 1 - stored);
      b.insert(b.end(), row.begin(), row.end());
    }
  }
  Put(b, 2, static_cast<uint32_t>(b.size()), 4);
  return b;
}

const BmpKind kKinds[] = {
    {"OneBit", 1, 0, false, 40, {}},
    {"FourBits", 4, 0, false, 40, {}},
    {"EightBits", 8, 0, false, 40, {}},
    {"EightBitsTopDown", 8, 0, true, 40, {}},
    {"EightBitsCoreHeader", 8, 0, false, 12, {}},
    {"FourBitsTopDownV5", 4, 0, true, 124, {}},
    {"RunLengths8", 8, 1, false, 40, {}},
    {"RunLengths4", 4, 2, false, 40, {}},
    {"Sixteen555", 16, 0, false, 40, {0x7C00, 0x03E0, 0x001F}},
    {"Sixteen565Fields", 16, 3, false, 40, {0xF800, 0x07E0, 0x001F}},
    {"Sixteen565FieldsV4TopDown", 16, 3, true, 108, {0xF800, 0x07E0, 0x001F}},
    {"ThirtyTwoFieldsSwapped", 32, 3, false, 40, {0x000000FF, 0x0000FF00, 0x00FF0000}},
    {"TwentyFourTopDown", 24, 0, true, 40, {0xFF0000, 0xFF00, 0xFF}},
    {"ThirtyTwoTopDown", 32, 0, true, 40, {0xFF0000, 0xFF00, 0xFF}},
};

class BmpKindsTest : public testing::TestWithParam<BmpKind> {
 protected:
  std::string Save(const std::vector<uint8_t>& bytes) {
    std::string path = (dir / "kind.bmp").string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
  }
  TempDir dir;
};

TEST_P(BmpKindsTest, EveryPixelHasItsColour) {
  constexpr int kWidth = 37, kHeight = 11;
  const gdi::PicturePtr picture = formats::LoadPicture(Save(MakeBmp(GetParam(), kWidth, kHeight)));
  const gdi::Bitmap& b = *picture->Handle();
  ASSERT_EQ(b.Width(), kWidth);
  ASSERT_EQ(b.Height(), kHeight);
  int wrong = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t* p = b.Row(y) + 3 * x;
      const uint32_t got = p[2] << 16 | p[1] << 8 | p[0];
      if (got != ColourOf(IndexAt(x, y)) && ++wrong < 4)
        ADD_FAILURE() << x << "," << y << ": " << std::hex << got << " for " << ColourOf(IndexAt(x, y));
    }
  }
  EXPECT_EQ(wrong, 0);
}

// Cut anywhere in its pixels, a file is refused as damaged in one line rather
// than shown with black where its pixels were.
TEST_P(BmpKindsTest, CutAnywhereIsRefusedAsDamaged) {
  const std::vector<uint8_t> whole = MakeBmp(GetParam(), 64, 48);
  const size_t offset = whole[10] | whole[11] << 8;
  for (int percent : {1, 30, 50, 99}) {
    SCOPED_TRACE(percent);
    std::vector<uint8_t> cut = whole;
    cut.resize(offset + (whole.size() - offset) * percent / 100);
    try {
      formats::LoadPicture(Save(cut));
      ADD_FAILURE() << "read";
    } catch (const platform::AppError& e) {
      EXPECT_EQ(e.Number(), platform::ErrorNumber::InvalidPicture);
      EXPECT_NE(e.Description().find("damaged"), std::string::npos) << e.Description();
      EXPECT_EQ(e.Description().find('\n'), std::string::npos);
    }
    const formats::PictureRegion allowed = formats::LoadPictureRegion(
        Save(cut),
        [](int32_t w, int32_t h) {
          return gdi::Rect{0, 0, w, h};
        },
        formats::Damage::Accept);
    EXPECT_FALSE(allowed.damage.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BmpKindsTest, testing::ValuesIn(kKinds),
                         [](const auto& p) { return std::string(p.param.name); });

struct Claim {
  const char* name;
  BmpKind kind;
};

// A 14 KB palette file claiming 10000 x 10000 took 784 MB through the
// toolkit's reader: each kind is refused before anything that size is taken.
TEST(BmpClaimTest, AHugeClaimInASmallFileIsRefusedBeforeDecoding) {
  TempDir dir;
  for (const BmpKind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    if (kind.infoBytes == 12) continue;  // 16-bit sides
    std::vector<uint8_t> b = MakeBmp(kind, 64, 48);
    b.resize(14 * 1024, 0);
    Put(b, 18, 10000, 4);
    Put(b, 22, static_cast<uint32_t>(kind.topDown ? -10000 : 10000), 4);
    const std::string path = (dir / "claim.bmp").string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
    try {
      formats::LoadPicture(path, formats::Damage::Accept);
      ADD_FAILURE() << "read";
    } catch (const platform::AppError& e) {
      EXPECT_NE(e.Description().find("more than its 14336 bytes could hold"), std::string::npos)
          << e.Description();
    }
  }
}

}  // namespace
