#include "formats/png/PngWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <iterator>

#include "formats/SamePixels.h"
#include "formats/png/PngReader.h"
#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"
#include "support/pure/ErrorOf.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace {

std::unique_ptr<gdi::Bitmap> Pattern(int32_t width, int32_t height, bool bottomUp) {
  auto bitmap = gdi::Bitmap::Create(width, height, bottomUp);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bitmap->MutableRow(y);
    for (int32_t x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(x * 7 + y);
      row[3 * x + 1] = static_cast<uint8_t>(y * 11);
      row[3 * x + 2] = static_cast<uint8_t>(x * y + 3);
    }
  }
  return bitmap;
}

std::string Text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Size {
  int32_t width;
  int32_t height;
  bool bottomUp;
};

class PngWriterTest : public ::testing::TestWithParam<Size> {
 protected:
  TempDir dir;
};

}  // namespace

TEST_P(PngWriterTest, WritesRgbThatReadsBackTheSame) {
  const Size size = GetParam();
  const auto bitmap = Pattern(size.width, size.height, size.bottomUp);
  const auto path = dir / "out.png";
  formats::PngWriter::Save(*bitmap, path.string());

  const std::string file = Text(path);
  // 8 bits a sample, colour type 2: RGB, no alpha, no palette.
  ASSERT_GE(file.size(), 26u);
  EXPECT_EQ(file.substr(12, 4), "IHDR");
  EXPECT_EQ(file[24], 8);
  EXPECT_EQ(file[25], 2);

  const std::vector<uint8_t> bytes(file.begin(), file.end());
  const auto ours = formats::PngReader::Decode(bytes);
  ASSERT_EQ(ours.damage, "");
  ASSERT_EQ(ours.bitmap->Width(), size.width);
  ASSERT_EQ(ours.bitmap->Height(), size.height);
  EXPECT_TRUE(SamePixels(*ours.bitmap, 0, 0, *bitmap, 0, 0, size.width, size.height));

  // A reader sharing no code with ours agrees.
  const std::optional<PillowImage> pillow = PillowImage::Read(path.string());
  ASSERT_TRUE(pillow);
  EXPECT_EQ(pillow->format, "PNG");
  EXPECT_EQ(pillow->mode, "RGB");
  for (int32_t y = 0; y < size.height; ++y) {
    for (int32_t x = 0; x < size.width; ++x) {
      const uint8_t* expected = bitmap->Row(y) + 3 * x;
      const uint8_t* theirs = pillow->rgb.data() + 3 * (static_cast<size_t>(y) * size.width + x);
      ASSERT_TRUE(theirs[0] == expected[2] && theirs[1] == expected[1] && theirs[2] == expected[0])
          << "pixel " << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PngWriterTest,
                         ::testing::Values(Size{1, 1, false}, Size{5, 3, true}, Size{128, 128, false},
                                           Size{257, 19, true}),
                         [](const auto& p) {
                           return std::to_string(p.param.width) + "x" + std::to_string(p.param.height) +
                                  (p.param.bottomUp ? "BottomUp" : "TopDown");
                         });

TEST(PngWriterFailureTest, AFailedWriteLeavesTheOldFileAsItWas) {
  TempDir dir;
  const auto path = dir / "kept.png";
  std::ofstream(path) << "old";
  platform::AtomicFile::SetWriteFault(ENOSPC);
  const int32_t error = ErrorOf([&] { formats::PngWriter::Save(*Pattern(64, 64, false), path.string()); });
  platform::AtomicFile::SetWriteFault(0);
  EXPECT_NE(error, 0);
  EXPECT_EQ(Text(path), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}
