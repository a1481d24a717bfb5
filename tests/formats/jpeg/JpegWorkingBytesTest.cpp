#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "formats/PictureHeader.h"

#include <jpeglib.h>

namespace {

struct Frame {
  const char* name;
  int width;
  int height;
  int components;
  int hSampling;  // of the first component
  int vSampling;
  bool progressive;
  uint64_t coefficientBytes;
};

// Flat grey: only the header is looked at.
std::vector<uint8_t> Encode(const Frame& f) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(f.width);
  info.image_height = static_cast<JDIMENSION>(f.height);
  info.input_components = f.components;
  info.in_color_space = f.components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&info);
  info.comp_info[0].h_samp_factor = f.hSampling;
  info.comp_info[0].v_samp_factor = f.vSampling;
  if (f.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(f.width * f.components), 128);
  while (info.next_scanline < info.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&info, &r, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> file(out, out + size);
  free(out);
  return file;
}

// By hand: blocks of 8 x 8, each side padded to whole sampling groups, 128
// bytes a block. 100 x 60 at 4:2:0: Y 14 x 8 blocks (13 x 8 padded to even),
// Cb and Cr 7 x 4 each.
const Frame kFrames[] = {
    {"Progressive420", 100, 60, 3, 2, 2, true, (14 * 8 + 2 * 7 * 4) * 128},
    {"Progressive444", 100, 60, 3, 1, 1, true, 3 * 13 * 8 * 128},
    {"ProgressiveCmyk", 100, 60, 4, 1, 1, true, 4 * 13 * 8 * 128},
    {"Baseline420", 100, 60, 3, 2, 2, false, 0},
    {"BaselineCmyk", 100, 60, 4, 1, 1, false, 0},
};

class WorkingBytesTest : public testing::TestWithParam<Frame> {};

// A progressive JPEG holds all its coefficients while it decodes, as much
// again as its bitmap and more: a budget that left them out was overrun twice over.
TEST_P(WorkingBytesTest, CountsAProgressiveJpegsCoefficients) {
  const std::optional<formats::PictureHeader> header = formats::PictureHeader::Of(Encode(GetParam()));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->width, GetParam().width);
  EXPECT_EQ(header->workingBytes, GetParam().coefficientBytes);
}

INSTANTIATE_TEST_SUITE_P(Frames, WorkingBytesTest, testing::ValuesIn(kFrames),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
