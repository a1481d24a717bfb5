#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "app/Form1Fixture.h"
#include "app/MapMakerCommands.h"
#include "app/SelectionTool.h"
#include "cli/ToolRun.h"
#include "platform/ui/Settings.h"

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Form1MapMaker : public Form1Fixture {
 protected:
  void Select(int32_t side) {
    form.txtSelWidth->SetText(std::to_string(side));
    form.txtSelHeight->SetText(std::to_string(side));
    form.Command3->click();
  }

  // The window's Targa save of the crop fixed last.
  std::string WindowSave() {
    const fs::path path = dir / "window.tga";
    messages.Answer(platform::vbYes);
    dialogs.Choose(path.string());
    form.Command6->click();
    return Slurp(path);
  }

  // The copied command run by the shell in a folder of its own, with the
  // program this build made; what it wrote there.
  std::string CommandSave(const std::string& pictureName) {
    std::string command = form.MapMaker().CropCommandLine();
    EXPECT_EQ(command.rfind("quarvel crop ", 0), 0u) << command;
    command.replace(0, std::string("quarvel").size(), ToolRun::ShellQuoted(QUARVEL_BINARY));
    const fs::path scratch = dir / "shell";
    fs::create_directories(scratch);
    const ToolRun run = ToolRun::Shell(command, scratch);
    EXPECT_EQ(run.status, 0) << command << "\n" << run.err;
    return Slurp(scratch / (fs::path(pictureName).stem().string() + ".tga"));
  }
};

struct SnapCase {
  int zoomSteps;
  float x, y;
  int32_t left, top;  // the 32 x 32 frame's corner, on the 16-pixel grid
};

class Form1Snapping : public Form1MapMaker, public testing::WithParamInterface<SnapCase> {};

}  // namespace

TEST_P(Form1Snapping, TheFramesCornerLiesOnTheGridAtAnyZoomAndAtTheEdges) {
  const SnapCase c = GetParam();
  Open(PatternFile(300, 200));
  if (c.zoomSteps > 0) form.picSource->SetZoom(1 << c.zoomSteps, QPointF(0, 0));
  if (c.zoomSteps < 0) form.ZoomToFit();
  Select(32);
  form.MapMaker().ToggleGridSnap();
  ASSERT_TRUE(form.MapMaker().Aids().Snapping());
  form.picSource_MouseMove(0, 0, c.x, c.y);
  form.picSource_Click();
  ASSERT_TRUE(form.MapMaker().Aids().LastFixed());
  EXPECT_EQ(form.MapMaker().Aids().LastFixed()->left, c.left);
  EXPECT_EQ(form.MapMaker().Aids().LastFixed()->top, c.top);
  const gdi::Bitmap& result = form.picDest->Image();
  for (int y : {0, 31})
    for (int x : {0, 31})
      EXPECT_EQ(PictureFiles::PixelOf(result, x, y), PictureFiles::PatternPixel(c.left + x, c.top + y));
}

INSTANTIATE_TEST_SUITE_P(
    Places, Form1Snapping,
    testing::Values(SnapCase{0, 150, 100, 128, 80}, SnapCase{0, 30, 30, 16, 16}, SnapCase{0, 23, 23, 0, 0},
                    SnapCase{0, 0, 0, 0, 0},
                    // The last line that keeps the frame inside: 268 and 168 are off the grid.
                    SnapCase{0, 299, 199, 256, 160}, SnapCase{3, 150, 100, 128, 80},
                    SnapCase{-2, 299, 0, 256, 0}, SnapCase{5, 41, 57, 32, 48}));

TEST_F(Form1MapMaker, ArrowsMoveOneCellOnTheGridAndTheSizeIsRemembered) {
  Open(PatternFile(300, 200));
  form.MapMaker().Aids().SetGridSize(32);
  Select(32);
  form.MapMaker().ToggleGridSnap();
  form.picSource_MouseMove(0, 0, 100, 100);  // corner 84,84 snaps to 96,96
  form.Selection().Nudge(1, 0);
  form.Selection().Nudge(0, -1);
  form.picSource_Click();
  EXPECT_EQ(form.MapMaker().Aids().LastFixed()->left, 128);
  EXPECT_EQ(form.MapMaker().Aids().LastFixed()->top, 64);
  EXPECT_EQ(MapMakerAids().Grid().Cell(), 32);
  EXPECT_TRUE(MapMakerAids().Snapping());
}

namespace {

struct CommandCase {
  const char* name;
  int grow;  // eighths added to the region
  bool snap;
  int reductions;  // presses of R
  bool linear;
};

class Form1CopiedCommand : public Form1MapMaker, public testing::WithParamInterface<CommandCase> {};

}  // namespace

TEST_P(Form1CopiedCommand, WritesTheWindowsFileByteForByte) {
  const CommandCase c = GetParam();
  const std::string picture = PatternFile(300, 200, "it's a map.bmp");
  Open(picture);
  Select(48);
  for (int i = 0; i < c.grow; ++i) form.Selection().Grow(1);
  for (int i = 0; i < c.reductions; ++i) form.MapMaker().NextReduction();
  if (c.linear) form.MapMaker().ToggleLinearLight();
  if (c.snap) form.MapMaker().ToggleGridSnap();
  form.picSource_MouseMove(0, 0, 133, 77);
  form.picSource_Click();
  const std::string window = WindowSave();
  ASSERT_GT(window.size(), 18u);
  EXPECT_EQ(CommandSave(picture), window);
}

INSTANTIATE_TEST_SUITE_P(Crops, Form1CopiedCommand,
                         testing::Values(CommandCase{"one to one", 0, false, 0, false},
                                         CommandCase{"region", 12, false, 0, false},
                                         CommandCase{"snapped", 0, true, 0, false},
                                         CommandCase{"snapped region", 3, true, 0, false},
                                         CommandCase{"majority", 5, false, 1, false},
                                         CommandCase{"nearest", 8, true, 2, false},
                                         CommandCase{"linear", 2, false, 0, true}),
                         [](const auto& param) {
                           std::string name = param.param.name;
                           for (char& ch : name)
                             if (ch == ' ') ch = '_';
                           return name;
                         });

TEST_F(Form1MapMaker, AFrameIsRestoredForTheSamePictureAndForgottenOnRequest) {
  const std::string picture = PatternFile(300, 200, "map.bmp");
  Open(picture);
  Select(32);
  form.Selection().Grow(1);
  form.MapMaker().NextReduction();
  form.picSource_MouseMove(0, 0, 200, 50);
  form.picSource_Click();
  const FixedCrop fixed = *form.MapMaker().Aids().LastFixed();
  EXPECT_EQ(fixed.regionWidth, 36);
  EXPECT_EQ(fixed.reduction.method, ReduceMethod::Majority);

  // The next export of the map: same name, same size, another session.
  PatternFile(300, 200, "map.bmp");
  Form1 later;
  dialogs.Choose(picture);
  later.Command1->click();
  later.txtSelWidth->SetText("128");
  later.Command3->click();
  EXPECT_EQ(later.txtSelWidth->Text(), "32");
  later.picSource_Click();
  EXPECT_EQ(later.MapMaker().Aids().LastFixed(), fixed);

  // The repeat takes the same crop at once.
  dialogs.Choose(PatternFile(300, 200, "next.bmp"));
  later.Command1->click();
  later.MapMaker().RepeatLastCrop();
  ASSERT_TRUE(later.MapMaker().Aids().LastFixed());
  EXPECT_EQ(later.MapMaker().Aids().LastFixed()->left, fixed.left);
  EXPECT_EQ(later.MapMaker().Aids().LastFixed()->picture, (dir / "next.bmp").string());

  later.MapMaker().ForgetRememberedFrames();
  EXPECT_EQ(MapMakerAids().RememberedFor(picture, 300, 200), std::nullopt);
  Form1 afterForgetting;
  dialogs.Choose(picture);
  afterForgetting.Command1->click();
  afterForgetting.txtSelWidth->SetText("64");
  afterForgetting.txtSelHeight->SetText("64");
  afterForgetting.Command3->click();
  EXPECT_EQ(afterForgetting.txtSelWidth->Text(), "64");
}

TEST_F(Form1MapMaker, AnotherSizeUnderTheSameNameStartsAfresh) {
  const std::string picture = PatternFile(300, 200, "map.bmp");
  Open(picture);
  Select(32);
  form.picSource_MouseMove(0, 0, 200, 50);
  form.picSource_Click();
  PatternFile(310, 200, "map.bmp");
  Open(picture);
  form.txtSelWidth->SetText("64");
  form.txtSelHeight->SetText("64");
  form.Command3->click();
  EXPECT_EQ(form.txtSelWidth->Text(), "64");
  EXPECT_TRUE(MapMakerAids().RememberedFor(picture, 300, 200));
}
