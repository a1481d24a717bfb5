#include "formats/jpeg/JpegReader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "formats/SamePixels.h"

#include <jpeglib.h>

namespace {

constexpr int kWidth = 203;
constexpr int kHeight = 157;

struct Coding {
  const char* name;
  int components;
  int hSampling;  // of the first component; the others have 1
  int vSampling;
  bool progressive;
  int restartRows;
  // Four components stored as YCCK rather than CMYK.
  bool ycck = false;
};

// A picture with edges and gradients everywhere, so a wrong upsampled or
// smoothed pixel shows.
std::vector<uint8_t> Pattern(int components) {
  std::vector<uint8_t> pixels(static_cast<size_t>(kWidth * kHeight * components));
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < components; ++c) {
        pixels[(y * kWidth + x) * components + c] = static_cast<uint8_t>(
            ((x * (3 + c) + y * 5) ^ (x * y >> (2 + c))) + (((x / 7 + y / 5) & 1) ? 90 : 0));
      }
    }
  }
  return pixels;
}

std::vector<uint8_t> Encode(const Coding& coding) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = coding.components;
  info.in_color_space = coding.components == 1 ? JCS_GRAYSCALE : coding.components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  if (coding.ycck) jpeg_set_colorspace(&info, JCS_YCCK);
  jpeg_set_quality(&info, 85, TRUE);
  if (coding.components == 3) {
    info.comp_info[0].h_samp_factor = coding.hSampling;
    info.comp_info[0].v_samp_factor = coding.vSampling;
  }
  if (coding.progressive) jpeg_simple_progression(&info);
  info.restart_in_rows = coding.restartRows;
  jpeg_start_compress(&info, TRUE);
  const std::vector<uint8_t> pixels = Pattern(coding.components);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(pixels.data()) + info.next_scanline * kWidth * coding.components;
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> file(out, out + size);
  free(out);
  return file;
}

// Blocks at the corners, on and beside block boundaries, single pixels, whole
// rows and columns, and blocks reaching past the picture.
const gdi::Rect kBlocks[] = {
    {0, 0, 1, 1},        {0, 0, 16, 16},       {15, 15, 17, 17},     {16, 16, 32, 32},   {17, 31, 50, 40},
    {100, 70, 164, 134}, {187, 141, 203, 157}, {202, 156, 203, 157}, {0, 100, 203, 101}, {50, 0, 51, 157},
    {31, 47, 32, 48},    {-10, -10, 20, 20},   {190, 150, 230, 170}, {7, 9, 8, 157},     {0, 0, 203, 157}};

class JpegRegionTest : public ::testing::TestWithParam<Coding> {};

}  // namespace

TEST_P(JpegRegionTest, BlocksHaveTheWholeDecodesPixels) {
  const std::vector<uint8_t> file = Encode(GetParam());
  const std::unique_ptr<gdi::Bitmap> whole = formats::JpegReader::Decode(file).bitmap;
  ASSERT_TRUE(whole);
  for (const gdi::Rect& block : kBlocks) {
    SCOPED_TRACE(std::to_string(block.left) + "," + std::to_string(block.top) + " to " +
                 std::to_string(block.right) + "," + std::to_string(block.bottom));
    auto region = formats::JpegReader::DecodeRegion(file, [&](int32_t w, int32_t h) {
      EXPECT_EQ(w, kWidth);
      EXPECT_EQ(h, kHeight);
      return block;
    });
    ASSERT_TRUE(region);
    const gdi::Rect inside{std::max(block.left, 0), std::max(block.top, 0), std::min(block.right, kWidth),
                           std::min(block.bottom, kHeight)};
    const gdi::Bitmap& part = *region->picture->Handle();
    ASSERT_LE(region->left, inside.left);
    ASSERT_LE(region->top, inside.top);
    ASSERT_GE(region->left + part.Width(), inside.right);
    ASSERT_GE(region->top + part.Height(), inside.bottom);
    EXPECT_TRUE(SamePixels(part, inside.left - region->left, inside.top - region->top, *whole, inside.left,
                           inside.top, inside.right - inside.left, inside.bottom - inside.top));
  }
}

TEST_P(JpegRegionTest, DecodesLittleMoreThanTheBlock) {
  const std::vector<uint8_t> file = Encode(GetParam());
  auto region = formats::JpegReader::DecodeRegion(file, [](int32_t, int32_t) {
    return gdi::Rect{100, 70, 116, 86};
  });
  ASSERT_TRUE(region);
  // The block, a margin of 16 each way, and columns out to whole blocks of 16.
  EXPECT_LE(region->picture->Width(), 16 + 2 * 16 + 2 * 16);
  EXPECT_LE(region->picture->Height(), 16 + 2 * 16);
}

INSTANTIATE_TEST_SUITE_P(
    Codings, JpegRegionTest,
    ::testing::Values(Coding{"Sampled444", 3, 1, 1, false, 0}, Coding{"Sampled422", 3, 2, 1, false, 0},
                      Coding{"Sampled420", 3, 2, 2, false, 0}, Coding{"Sampled440", 3, 1, 2, false, 0},
                      Coding{"Grey", 1, 1, 1, false, 0}, Coding{"Progressive420", 3, 2, 2, true, 0},
                      Coding{"Progressive444", 3, 1, 1, true, 0}, Coding{"Restarts420", 3, 2, 2, false, 1},
                      Coding{"RestartsProgressive422", 3, 2, 1, true, 2}, Coding{"Cmyk", 4, 1, 1, false, 0},
                      Coding{"ProgressiveCmyk", 4, 1, 1, true, 0}, Coding{"Ycck", 4, 1, 1, false, 0, true}),
    [](const auto& p) { return std::string(p.param.name); });
