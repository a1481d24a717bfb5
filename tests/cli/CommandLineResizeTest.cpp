#include <gtest/gtest.h>

#include <filesystem>

#include "cli/TargaFile.h"
#include "cli/TestPictures.h"
#include "cli/ToolRun.h"
#include "support/pure/TempDir.h"

namespace fs = std::filesystem;

namespace {

class CommandLineResize : public testing::Test {
 protected:
  std::string Picture(const std::string& name, const TestImage& image) {
    TestPictures::Save(image, dir / name, "BMP");
    return (dir / name).string();
  }
  std::string Out(const std::string& name) const { return (dir / name).string(); }

  TempDir dir;
};

}  // namespace

TEST_F(CommandLineResize, UsesTheWindowsResamplerAndItsArgumentOrder) {
  // Blue 0 and 100 side by side, widened to four columns: the last one never reaches 100.
  TestImage image(2, 2);
  for (int y = 0; y < 2; ++y) {
    image.SetPixel(0, y, MakeRgb(0, 0, 0));
    image.SetPixel(1, y, MakeRgb(0, 0, 100));
  }
  ToolRun run = ToolRun::InProcess({"resize", Picture("two.bmp", image), "4x2", "-o", Out("wide.tga")});
  ASSERT_EQ(run.status, 0) << run.err;
  TargaFile tga = TargaFile::Read(Out("wide.tga"));
  ASSERT_EQ(tga.width, 4);
  ASSERT_EQ(tga.height, 2);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(tga.At(x, y), MakeRgb(0, 0, 25 * x)) << x << "," << y;
  }
}

TEST_F(CommandLineResize, TheSameSizeIsAnExactCopyInEitherFormat) {
  const std::string picture = Picture("p.bmp", TestPictures::Pattern(37, 21));
  ASSERT_EQ(ToolRun::InProcess({"resize", picture, "37x21", "-o", Out("copy.tga"), "--rle"}).status, 0);
  TargaFile tga = TargaFile::Read(Out("copy.tga"));
  EXPECT_EQ(tga.type, 10);
  for (int y = 0; y < 21; ++y) {
    for (int x = 0; x < 37; ++x) ASSERT_EQ(tga.At(x, y), TestPictures::PatternPixel(x, y)) << x << "," << y;
  }
  // Into a folder not there yet, as crop's -o and --out-dir do.
  ASSERT_EQ(ToolRun::InProcess({"resize", picture, "300x200", "-o", Out("new/big.jpeg")}).status, 0);
  const TestImage big = TestImage::Read(Out("new/big.jpeg"));
  EXPECT_EQ(big.Width(), 300);
  EXPECT_EQ(big.Height(), 200);
}

TEST_F(CommandLineResize, KeepProportionsDerivesTheHeightFromTheWidthRoundedDown) {
  const std::string picture = Picture("p.bmp", TestImage(400, 300));
  ASSERT_EQ(ToolRun::InProcess({"resize", picture, "100", "--keep-proportions", "-o", Out("a.tga")}).status,
            0);
  TargaFile a = TargaFile::Read(Out("a.tga"));
  EXPECT_EQ(a.width, 100);
  EXPECT_EQ(a.height, 75);
  // A height typed alongside is refused rather than dropped.
  EXPECT_EQ(
      ToolRun::InProcess({"resize", picture, "150x999", "--keep-proportions", "-o", Out("c.jpg")}).status, 2);
  EXPECT_FALSE(fs::exists(Out("c.jpg")));
}

TEST_F(CommandLineResize, AHeightInProportionThatRoundsToNothingIsRefused) {
  const std::string picture = Picture("strip.bmp", TestImage(400, 3));
  ToolRun run = ToolRun::InProcess({"resize", picture, "100", "--keep-proportions", "-o", Out("x.tga")});
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.ErrorLines().size(), 1u) << run.err;
  EXPECT_EQ(run.ErrorLines()[0],
            "quarvel: " + picture +
                ": in proportion to a width of 100 the height would be 0 pixels, which no "
                "output can hold");
  EXPECT_FALSE(fs::exists(Out("x.tga")));
}

TEST_F(CommandLineResize, EachFailureIsOneLineAndLeavesNoOutput) {
  const std::string thin = Picture("thin.bmp", TestImage(1, 5));
  const std::string good = Picture("good.bmp", TestPictures::Pattern(8, 8));
  TestPictures::WriteBytes(Out("taken.tga"), std::string("old"));
  fs::permissions(Out("taken.tga"), fs::perms::owner_read);
  struct Case {
    std::vector<std::string> args;
    std::string line;
  };
  const Case cases[] = {
      // A single column can't be interpolated to another size.
      {{"resize", thin, "4x4", "-o", Out("thin.tga")},
       "quarvel: " + thin + ": a picture only 1 pixel wide can't be resized: there is no second column"},
      {{"resize", Out("gone.bmp"), "4x4", "-o", Out("gone.tga")},
       "quarvel: " + Out("gone.bmp") + ": not found"},
      {{"resize", good, "4x4", "-o", Out("taken.tga")},
       "quarvel: " + Out("taken.tga") + ": the file is read-only"},
      {{"resize", good, "4x4", "-o", Out("a.tga"), "-o", Out("b.tga")}, "quarvel: -o is given twice"},
  };
  for (const Case& c : cases) {
    ToolRun run = ToolRun::InProcess(c.args);
    EXPECT_NE(run.status, 0);
    ASSERT_EQ(run.ErrorLines().size(), 1u) << run.err;
    EXPECT_NE(run.ErrorLines()[0].find(c.line), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(Out("thin.tga")));
  EXPECT_FALSE(fs::exists(Out("gone.tga")));
  EXPECT_EQ(fs::file_size(Out("taken.tga")), 3u);
}

TEST_F(CommandLineResize, ThePictureItselfIsNeverTheOutput) {
  TestPictures::Save(TestPictures::Pattern(8, 8), dir / "p.jpg", "JPG");
  const auto before = fs::file_size(dir / "p.jpg");
  ToolRun run = ToolRun::InProcess({"resize", Out("p.jpg"), "4x4", "-o", Out("./p.jpg")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "quarvel: " + Out("p.jpg") + ": the output is the picture itself\n");
  EXPECT_EQ(fs::file_size(dir / "p.jpg"), before);
}
