#include "formats/Orientation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "formats/PictureDecoder.h"
#include "formats/SamePixels.h"
#include "support/pure/PillowImage.h"
#include "support/pure/TempDir.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 200;

// Four quarters of plain colours (red, green, blue, white from the top left)
// with a texture, stored in each of EXIF's orientations so that a viewer
// turns every one of them back into this upright picture.
constexpr const char* kMake = R"(
w, h = 300, 200
up = Image.new('RGB', (w, h))
px = up.load()
bases = [(220, 30, 30), (30, 220, 30), (30, 30, 220), (230, 230, 230)]
for y in range(h):
    for x in range(w):
        base = bases[(x >= w // 2) + 2 * (y >= h // 2)]
        px[x, y] = tuple(min(255, c + (x * 7 + y * 13) % 23) for c in base)
T = Image.Transpose
stored_by = {1: None, 2: T.FLIP_LEFT_RIGHT, 3: T.ROTATE_180, 4: T.FLIP_TOP_BOTTOM,
             5: T.TRANSPOSE, 6: T.ROTATE_90, 7: T.TRANSVERSE, 8: T.ROTATE_270}
for o, op in stored_by.items():
    stored = up if op is None else up.transpose(op)
    exif = Image.Exif()
    exif[0x0112] = o
    stored.save('%s/o%d.jpg' % (sys.argv[1], o), quality=95, exif=exif.tobytes())
)";

struct Colour {
  int red, green, blue;
};
constexpr Colour kQuarters[] = {{220, 30, 30}, {30, 220, 30}, {30, 30, 220}, {230, 230, 230}};

// Upright rectangles: corners, the middle, and one reaching past two edges.
const gdi::Rect kBlocks[] = {{0, 0, 40, 30}, {130, 85, 171, 116}, {255, 170, 300, 200}, {-10, 185, 37, 230}};

class UprightPicture : public testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() {
    folder = std::make_unique<TempDir>();
    made = PillowImage::Run(kMake, {folder->Path().string()});
  }
  static void TearDownTestSuite() { folder.reset(); }

  std::string Path() const { return (folder->Path() / ("o" + std::to_string(GetParam()) + ".jpg")).string(); }

  static std::unique_ptr<TempDir> folder;
  static bool made;
};

std::unique_ptr<TempDir> UprightPicture::folder;
bool UprightPicture::made = false;

bool Near(const uint8_t* bgr, Colour c) {
  return std::abs(bgr[2] - c.red) < 45 && std::abs(bgr[1] - c.green) < 45 && std::abs(bgr[0] - c.blue) < 45;
}

}  // namespace

TEST_P(UprightPicture, IsShownAsAViewerShowsIt) {
  ASSERT_TRUE(made);
  const gdi::PicturePtr whole = formats::LoadPicture(Path());
  ASSERT_EQ(whole->Width(), kWidth);
  ASSERT_EQ(whole->Height(), kHeight);
  for (int quarter = 0; quarter < 4; ++quarter) {
    const int x = kWidth / 4 + kWidth / 2 * (quarter % 2), y = kHeight / 4 + kHeight / 2 * (quarter / 2);
    EXPECT_TRUE(Near(whole->Handle()->Row(y) + 3 * x, kQuarters[quarter])) << "quarter " << quarter;
  }
}

TEST_P(UprightPicture, ARegionIsTheSameCropOfTheWholeUprightPicture) {
  ASSERT_TRUE(made);
  const gdi::PicturePtr whole = formats::LoadPicture(Path());
  for (const gdi::Rect& block : kBlocks) {
    const formats::PictureRegion region =
        formats::LoadPictureRegion(Path(), [&](int32_t width, int32_t height) {
          EXPECT_EQ(width, kWidth);
          EXPECT_EQ(height, kHeight);
          return block;
        });
    ASSERT_EQ(region.width, kWidth);
    ASSERT_EQ(region.height, kHeight);
    const gdi::Rect inside{std::max(block.left, 0), std::max(block.top, 0), std::min(block.right, kWidth),
                           std::min(block.bottom, kHeight)};
    const gdi::Bitmap& part = *region.picture->Handle();
    ASSERT_LE(region.left, inside.left);
    ASSERT_LE(region.top, inside.top);
    ASSERT_GE(region.left + part.Width(), inside.right);
    ASSERT_GE(region.top + part.Height(), inside.bottom);
    EXPECT_TRUE(SamePixels(part, inside.left - region.left, inside.top - region.top, *whole->Handle(),
                           inside.left, inside.top, inside.right - inside.left, inside.bottom - inside.top))
        << "block at " << block.left << "," << block.top;
  }
}

TEST_P(UprightPicture, KeepsTheStoredOrderWhenAsked) {
  ASSERT_TRUE(made);
  formats::Orientation::SetAutomatic(false);
  const gdi::PicturePtr stored = formats::LoadPicture(Path());
  formats::Orientation::SetAutomatic(true);
  const bool turned = formats::Orientation(GetParam()).Transposes();
  EXPECT_EQ(stored->Width(), turned ? kHeight : kWidth);
  EXPECT_EQ(stored->Height(), turned ? kWidth : kHeight);
}

INSTANTIATE_TEST_SUITE_P(ExifOrientations, UprightPicture, testing::Range(1, 9));
