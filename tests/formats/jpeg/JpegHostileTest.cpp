#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "formats/jpeg/JpegReader.h"
#include "platform/base/AppError.h"

#include <jpeglib.h>

namespace {

void Marker(std::vector<uint8_t>& out, uint8_t marker, std::initializer_list<uint8_t> payload) {
  const size_t length = payload.size() + 2;
  out.insert(out.end(), {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
  out.insert(out.end(), payload);
}

// A grey progressive JPEG of the given size whose scans hold no data at all:
// a DC scan, then `acScans` AC scans of ten bytes each. Every one of them
// walks the whole picture however little it holds.
std::vector<uint8_t> EmptyScans(uint16_t width, uint16_t height, int acScans) {
  std::vector<uint8_t> out{0xFF, 0xD8};
  std::vector<uint8_t> table(65, 1);
  table[0] = 0;
  out.insert(out.end(), {0xFF, 0xDB, 0x00, 0x43});
  out.insert(out.end(), table.begin(), table.end());
  // One code each: a DC difference of nothing, and the end of the block.
  Marker(out, 0xC4, {0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00,
                     0x10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00});
  Marker(out, 0xC2,
         {8, static_cast<uint8_t>(height >> 8), static_cast<uint8_t>(height),
          static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(width), 1, 1, 0x11, 0});
  Marker(out, 0xDA, {1, 1, 0x00, 0, 0, 0x00});
  for (int i = 0; i < acScans; ++i) Marker(out, 0xDA, {1, 1, 0x00, 1, 63, 0x00});
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

struct ScanCase {
  const char* name;
  uint16_t side;
  int acScans;
  bool refused;
};

// The first row is the 60 KB file of 6,000 scans and a 12247 x 12247 header
// that kept a core busy for over a minute.
const ScanCase kScanCases[] = {
    {"Bomb", 12247, 6000, true},
    {"OneOverTheLimit", 64, formats::JpegReader::kMostScans, true},
    {"AtTheLimit", 64, formats::JpegReader::kMostScans - 1, false},
    {"Few", 64, 9, false},
};

class ScanLimitTest : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanLimitTest, RefusesOnlyPicturesOfTooManyScans) {
  const std::vector<uint8_t> file = EmptyScans(GetParam().side, GetParam().side, GetParam().acScans);
  if (GetParam().acScans == 6000) {
    EXPECT_LT(file.size(), 61'000u);
  }
  // The bomb once: it takes a few hundred megabytes before it is refused.
  std::vector<bool> regions{false};
  if (GetParam().side < 1000) regions.push_back(true);
  for (bool region : regions) {
    SCOPED_TRACE(region ? "region" : "whole");
    auto decode = [&] {
      if (region) {
        formats::JpegReader::DecodeRegion(file, [](int32_t, int32_t) { return gdi::Rect{0, 0, 8, 8}; });
      } else {
        formats::JpegReader::Decode(file);
      }
    };
    if (!GetParam().refused) {
      try {
        decode();
      } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
      }
      continue;
    }
    try {
      decode();
      ADD_FAILURE() << "decoded";
    } catch (const platform::AppError& e) {
      EXPECT_EQ(e.Number(), platform::ErrorNumber::InvalidPicture) << e.Description();
      EXPECT_NE(
          e.Description().find("more than " + std::to_string(formats::JpegReader::kMostScans) + " scans"),
          std::string::npos)
          << e.Description();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Scans, ScanLimitTest, ::testing::ValuesIn(kScanCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Flat patches of ink, stored inverted as Photoshop stores them, and the
// colour each must give.
struct Ink {
  uint8_t c, m, y, k;
  uint8_t red, green, blue;
};

const Ink kInks[] = {
    {255, 255, 255, 255, 255, 255, 255},  // no ink
    {0, 0, 0, 0, 0, 0, 0},                // every ink
    {0, 255, 255, 255, 0, 255, 255},      // cyan
    {255, 0, 255, 255, 255, 0, 255},      // magenta
    {255, 255, 0, 255, 255, 255, 0},      // yellow
    {255, 255, 255, 128, 128, 128, 128},  // half black
    {200, 100, 50, 200, 157, 78, 39},
};

std::vector<uint8_t> InkPatches(J_COLOR_SPACE stored, int* width) {
  constexpr int kPatch = 16;
  *width = kPatch * static_cast<int>(std::size(kInks));
  std::vector<uint8_t> pixels(static_cast<size_t>(*width * kPatch * 4));
  for (int y = 0; y < kPatch; ++y) {
    for (int x = 0; x < *width; ++x) {
      const Ink& ink = kInks[x / kPatch];
      uint8_t* p = &pixels[(static_cast<size_t>(y) * *width + x) * 4];
      p[0] = ink.c, p[1] = ink.m, p[2] = ink.y, p[3] = ink.k;
    }
  }
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(*width);
  info.image_height = kPatch;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, stored);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = &pixels[static_cast<size_t>(info.next_scanline) * *width * 4];
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> file(out, out + size);
  free(out);
  return file;
}

TEST(CmykJpegTest, InksGiveTheirColours) {
  for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
    SCOPED_TRACE(stored == JCS_CMYK ? "CMYK" : "YCCK");
    int width = 0;
    const formats::DecodedBitmap decoded = formats::JpegReader::Decode(InkPatches(stored, &width));
    ASSERT_TRUE(decoded.bitmap);
    EXPECT_EQ(decoded.bitmap->Width(), width);
    EXPECT_TRUE(decoded.damage.empty());
    for (size_t i = 0; i < std::size(kInks); ++i) {
      SCOPED_TRACE(i);
      const uint8_t* p = decoded.bitmap->Row(8) + 3 * (16 * i + 8);
      EXPECT_NEAR(p[2], kInks[i].red, 3);
      EXPECT_NEAR(p[1], kInks[i].green, 3);
      EXPECT_NEAR(p[0], kInks[i].blue, 3);
    }
  }
}

}  // namespace
