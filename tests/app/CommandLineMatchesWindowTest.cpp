#include <gtest/gtest.h>

#include "TargaFile.h"
#include "ToolRun.h"
#include "app/Form1Fixture.h"

namespace {

struct CropCase {
  int pictureWidth, pictureHeight, width, height, x, y;
};

class CommandLineMatchesWindow : public Form1Fixture, public testing::WithParamInterface<CropCase> {};

}  // namespace

// The command line cuts the very block a click in the window fixes for the pointer at the same place.
TEST_P(CommandLineMatchesWindow, SamePictureSamePlaceSamePixels) {
  const CropCase c = GetParam();
  const std::string picture = PatternFile(c.pictureWidth, c.pictureHeight);
  Open(picture);
  form.txtSelWidth->SetText(std::to_string(c.width));
  form.txtSelHeight->SetText(std::to_string(c.height));
  form.Command3->click();
  form.picSource_MouseMove(0, 0, static_cast<float>(c.x), static_cast<float>(c.y));
  form.picSource_Click();
  const gdi::Bitmap& window = form.picDest->Image();

  const std::string out = (dir / "cut.tga").string();
  const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
  const std::string centre = std::to_string(c.x) + "," + std::to_string(c.y);
  ToolRun run = ToolRun::InProcess({"crop", picture, "--size", size, "--center", centre, "-o", out});
  ASSERT_EQ(run.status, 0) << run.err;
  TargaFile tga = TargaFile::Read(out);
  ASSERT_EQ(tga.width, window.Width());
  ASSERT_EQ(tga.height, window.Height());
  for (int y = 0; y < tga.height; ++y)
    for (int x = 0; x < tga.width; ++x)
      ASSERT_EQ(tga.At(x, y), PictureFiles::PixelOf(window, x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Placements, CommandLineMatchesWindow,
                         testing::Values(CropCase{300, 200, 128, 128, 150, 100},
                                         CropCase{300, 200, 128, 128, 0, 0},
                                         CropCase{300, 200, 128, 128, 299, 199},
                                         CropCase{300, 200, 37, 20, 101, 7},
                                         CropCase{100, 80, 160, 96, 50, 40}));
