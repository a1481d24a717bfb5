#include "imaging/StreamedAverager.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct Packed {
  int32_t width;
  int32_t height;
  std::vector<uint8_t> bytes;

  Packed(int32_t w, int32_t h) : width(w), height(h), bytes(3 * static_cast<size_t>(w) * h) {}
  PixelRows<const uint8_t> Rows() const { return {bytes.data(), 3 * ptrdiff_t{width}, width, height}; }
  PixelRows<uint8_t> MutableRows() { return {bytes.data(), 3 * ptrdiff_t{width}, width, height}; }
};

// Noise with one-pixel lines in it, the content where a slip of one row or
// one share shows most.
Packed Picture(int32_t w, int32_t h, uint32_t seed) {
  std::mt19937 generator(seed);
  Packed p(w, h);
  for (uint8_t& b : p.bytes) b = static_cast<uint8_t>(generator());
  for (int32_t y = 0; y < h; y += 7)
    std::fill_n(p.bytes.begin() + 3 * static_cast<ptrdiff_t>(y) * w, 3 * w, uint8_t{255});
  return p;
}

struct StreamCase {
  int32_t pictureWidth, pictureHeight;
  // The region, in picture pixels, and the result's size.
  int32_t left, top, regionWidth, regionHeight, width, height;
  // How many rows each band the decoder hands over holds.
  int32_t band;
};

class StreamedAgainstWhole : public testing::TestWithParam<StreamCase> {};

}  // namespace

// Fed band by band, as a decoder gives the picture, the result is the whole
// picture's area average byte for byte, bands splitting result rows or not.
TEST_P(StreamedAgainstWhole, SameBytes) {
  const StreamCase c = GetParam();
  const Packed picture = Picture(c.pictureWidth, c.pictureHeight, 11);
  const AreaAverager::Axis across{int64_t{c.left} * c.width, c.regionWidth, c.width};
  const AreaAverager::Axis down{int64_t{c.top} * c.height, c.regionHeight, c.height};
  Packed whole(c.width, c.height);
  AreaAverager(1).Fill(picture.Rows(), across, down, whole.MutableRows());

  Packed streamed(c.width, c.height);
  StreamedAverager averager(across, down, streamed.MutableRows());
  const area::Range rows = averager.Rows(), columns = averager.Columns();
  ASSERT_GE(rows.first, c.top);
  ASSERT_LE(rows.end, c.top + c.regionHeight);
  for (int32_t y = rows.first; y < rows.end; y += c.band) {
    ASSERT_EQ(averager.NextRow(), y);
    const int32_t count = std::min(c.band, rows.end - y);
    averager.Add(Block(picture.Rows(), columns.first, y, columns.end - columns.first, count));
  }
  EXPECT_TRUE(averager.Done());
  EXPECT_EQ(streamed.bytes, whole.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    SizesFactorsOffsets, StreamedAgainstWhole,
    testing::Values(StreamCase{64, 64, 0, 0, 64, 64, 8, 8, 1},           // whole, factor 8, row by row
                    StreamCase{100, 90, 0, 0, 100, 90, 7, 6, 16},        // uneven factors, bands of 16
                    StreamCase{257, 131, 0, 0, 257, 131, 16, 16, 5},     // bands that split result rows
                    StreamCase{300, 200, 13, 27, 201, 149, 10, 9, 33},   // an offset region
                    StreamCase{120, 400, 5, 3, 111, 390, 37, 121, 64},   // less than 4 x down
                    StreamCase{50, 50, 1, 1, 47, 47, 47, 46, 3},         // barely reduced
                    StreamCase{40, 30, 0, 0, 40, 30, 80, 60, 2},         // enlarged: rows repeat
                    StreamCase{1000, 10, 0, 0, 1000, 10, 3, 1, 10},      // one result row, one band
                    StreamCase{9, 2000, 2, 100, 7, 1800, 1, 13, 999}));  // tall and thin

// Rows offered once the result is done change nothing.
TEST(StreamedAverager, RowsPastTheLastAreIgnored) {
  const Packed picture = Picture(32, 32, 5);
  Packed once(4, 4), twice(4, 4);
  StreamedAverager a({0, 32, 4}, {0, 32, 4}, once.MutableRows());
  StreamedAverager b({0, 32, 4}, {0, 32, 4}, twice.MutableRows());
  a.Add(picture.Rows());
  b.Add(picture.Rows());
  b.Add(picture.Rows());
  EXPECT_EQ(once.bytes, twice.bytes);
  EXPECT_EQ(a.NextRow(), 32);
}
