#include "formats/gif/GifReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "formats/SamePixels.h"
#include "formats/qt/QtPictureReader.h"
#include "platform/base/AppError.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace {

constexpr const char* kFrames =
    "w, h = 23, 19\n"
    "def frame(k):\n"
    "    im = Image.new('P', (w, h))\n"
    "    im.putpalette([(i * 7 + k * 40) % 256 for i in range(768)])\n"
    "    im.putdata([(x * 3 + y * 17 + k) % 16 for y in range(h) for x in range(w)])\n"
    "    return im\n"
    "options = eval(sys.argv[2])\n"
    "first = frame(0)\n"
    "if options.pop('animated', False):\n"
    "    first.save(sys.argv[1], save_all=True, append_images=[frame(5)], **options)\n"
    "else:\n"
    "    first.save(sys.argv[1], **options)\n";

struct Case {
  const char* name;
  const char* options;
  bool interlaced;
};

// Whether the first frame's descriptor says its rows come interlaced: below
// 16 pixels Pillow writes no interlaced GIF, whatever it is asked.
bool FirstFrameInterlaced(const std::vector<uint8_t>& gif) {
  size_t at = 13;
  if (gif.size() > 10 && (gif[10] & 0x80)) at += 3u << ((gif[10] & 7) + 1);
  while (at < gif.size() && gif[at] == 0x21) {
    at += 2;
    while (at < gif.size() && gif[at] != 0) at += gif[at] + 1u;
    ++at;
  }
  return at + 9 < gif.size() && gif[at] == 0x2C && (gif[at + 9] & 0x40);
}

class GifReaderTest : public ::testing::TestWithParam<Case> {
 protected:
  TempDir dir;
};

}  // namespace

TEST_P(GifReaderTest, ShowsTheFirstFrameAsQtsReaderDoes) {
  const auto path = dir / "picture.gif";
  ASSERT_TRUE(PillowImage::Run(kFrames, {path.string(), GetParam().options}));
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(FirstFrameInterlaced(file), GetParam().interlaced);
  const std::unique_ptr<gdi::Bitmap> ours = formats::GifReader::Decode(file).bitmap;
  const std::unique_ptr<gdi::Bitmap> qt = formats::QtPictureReader::Decode(file);
  ASSERT_EQ(ours->Width(), qt->Width());
  ASSERT_EQ(ours->Height(), qt->Height());
  EXPECT_TRUE(SamePixels(*ours, 0, 0, *qt, 0, 0, qt->Width(), qt->Height()));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GifReaderTest,
    ::testing::Values(Case{"Plain", "{'interlace': False}", false},
                      Case{"Interlaced", "{'interlace': True}", true},
                      Case{"Transparent", "{'transparency': 3, 'interlace': False}", false},
                      Case{"Animated", "{'animated': True, 'duration': 100, 'interlace': False}", false},
                      Case{"AnimatedTransparent", "{'animated': True, 'transparency': 5, 'interlace': False}",
                           false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(GifReaderFailureTest, ABrokenGifIsNoPicture) {
  // Every byte of it: a std::string made from the literal would end at its first NUL.
  constexpr char kText[] = "GIF89a\x05\x00\x05\x00\x00\x00\x00,";
  const std::vector<uint8_t> file(kText, kText + sizeof kText - 1);
  try {
    formats::GifReader::Decode(file);
    ADD_FAILURE() << "no error raised";
  } catch (const platform::AppError& e) {
    EXPECT_EQ(e.Number(), platform::ErrorNumber::InvalidPicture);
  }
}
