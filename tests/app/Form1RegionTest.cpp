#include <QKeyEvent>
#include <filesystem>

#include "app/Form1Fixture.h"
#include "cli/TargaFile.h"
#include "cli/ToolRun.h"
#include "core/SelectionGeometry.h"
#include "formats/jpeg/mIntelJPEGLibrary.h"

namespace fs = std::filesystem;

namespace {

// A 300 x 200 pattern with a 32 x 32 result.
class Form1RegionTest : public Form1Fixture {
 protected:
  void SetUp() override {
    Form1Fixture::SetUp();
    picture = PatternFile(300, 200);
    Open(picture);
    form.txtSelWidth->SetText("32");
    form.txtSelHeight->SetText("32");
    form.Command3->click();
  }

  void Press(int key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QCoreApplication::sendEvent(form.picSource, &press);
    }
  }

  void Move(float x, float y) { form.picSource_MouseMove(0, 0, x, y); }

  // What the command line makes with these arguments after the picture's.
  TargaFile CommandLine(std::vector<std::string> args) {
    const std::string out = (dir / "cli.tga").string();
    args.insert(args.begin(), {"crop", picture, "--size", side, "-o", out});
    ToolRun run = ToolRun::InProcess(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return TargaFile::Read(out);
  }

  static void ExpectSame(const gdi::Bitmap& window, const TargaFile& tga) {
    ASSERT_EQ(window.Width(), tga.width);
    ASSERT_EQ(window.Height(), tga.height);
    for (int y = 0; y < tga.height; ++y)
      for (int x = 0; x < tga.width; ++x)
        ASSERT_EQ(PictureFiles::PixelOf(window, x, y), tga.At(x, y)) << x << "," << y;
  }

  // cDIB holds what picDest shows.
  void ExpectBitmapIsResult() {
    const gdi::Bitmap& shown = form.picDest->Image();
    ASSERT_EQ(form.cDIB->Width(), shown.Width());
    for (int y = 0; y < shown.Height(); ++y) {
      const uint8_t* row = form.cDIB->DIBSectionBitsPtr() +
                           static_cast<size_t>(shown.Height() - 1 - y) * form.cDIB->BytesPerScanLine();
      ASSERT_EQ(std::vector<uint8_t>(row, row + 3 * shown.Width()),
                std::vector<uint8_t>(shown.Row(y), shown.Row(y) + 3 * shown.Width()));
    }
  }

  std::string picture;
  std::string side = "32";
};

// A 1200 x 900 pattern with a 128 x 128 result.
class Form1LargeRegionTest : public Form1RegionTest {
 protected:
  void SetUp() override {
    // Its own picture, not the small one the region tests open.
    Form1Fixture::SetUp();  // NOLINT(bugprone-parent-virtual-call)
    picture = PatternFile(1200, 900);
    side = "128";
    Open(picture);
    form.txtSelWidth->SetText(side);
    form.txtSelHeight->SetText(side);
    form.Command3->click();
  }
};

struct RegionCase {
  const char* name;
  // Each key pressed so many times, in order.
  std::vector<std::pair<int, int>> keys;
  float x, y;
  std::vector<std::string> args;
};

class Form1RegionMatchesCommandLine : public Form1RegionTest,
                                      public testing::WithParamInterface<RegionCase> {};

}  // namespace

// The preview, the fixed result and cDIB are what the command line makes of
// the same region and size: bilinear for 2 x, averaged beyond, clamped at edges.
TEST_P(Form1RegionMatchesCommandLine, PreviewResultAndBitmapAreTheCommandLines) {
  const RegionCase& c = GetParam();
  Move(150, 100);
  for (auto [key, times] : c.keys) Press(key, times);
  Move(c.x, c.y);
  const TargaFile expected = CommandLine(c.args);
  ExpectSame(form.picDest->Image(), expected);
  form.picSource_Click();
  ExpectSame(form.picDest->Image(), expected);
  ExpectBitmapIsResult();
}

constexpr int kGrow = Qt::Key_BracketRight, kShrink = Qt::Key_BracketLeft, kFit = Qt::Key_A,
              kOneToOne = Qt::Key_Backslash;

INSTANTIATE_TEST_SUITE_P(
    Regions, Form1RegionMatchesCommandLine,
    testing::Values(
        RegionCase{"TwiceBlends", {{kGrow, 8}}, 150, 100, {"--region", "64", "--center", "150,100"}},
        RegionCase{"ThriceAverages", {{kGrow, 16}}, 150, 100, {"--region", "96", "--center", "150,100"}},
        RegionCase{"AtTheLastPixel", {{kGrow, 40}}, 299, 199, {"--region", "192", "--center", "299,199"}},
        RegionCase{"ShrunkAgain", {{kGrow, 20}, {kShrink, 3}}, 0, 0, {"--region", "100", "--center", "0,0"}},
        RegionCase{"FittedAndCentred", {{kFit, 1}}, 150, 100, {"--region", "all"}},
        RegionCase{"BackToOneToOne", {{kFit, 1}, {kOneToOne, 1}}, 77, 55, {"--center", "77,55"}}),
    [](const testing::TestParamInfo<RegionCase>& param) { return param.param.name; });

TEST_F(Form1RegionTest, TheFrameIsDrawnAroundTheRegionInPicturePixels) {
  Press(Qt::Key_BracketRight, 16);  // 96 x 96
  Move(150, 100);
  const gdi::Rect frame = SelectionGeometry::Frame(102, 52, 96, 96);
  const QRgb colour = form.lRectColor() == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
  for (auto [x, y] : {std::pair{frame.left, frame.top}, std::pair{frame.right - 1, frame.bottom - 1}})
    EXPECT_EQ(PictureFiles::PixelOf(form.picSource->Image(), x, y), colour) << x << "," << y;
  EXPECT_EQ(form.picDest->Image().Width(), 32);
}

TEST_F(Form1RegionTest, ShrinkingStopsAtTheResultsSize) {
  Press(Qt::Key_BracketRight, 2);
  Press(Qt::Key_BracketLeft, 5);
  Move(150, 100);
  const TargaFile expected = CommandLine({"--center", "150,100"});
  ExpectSame(form.picDest->Image(), expected);
}

TEST_F(Form1RegionTest, APictureOnePixelAcrossKeepsItsFrameAndSaysWhyOnce) {
  Press(Qt::Key_Escape);
  Open(PatternFile(1, 50, "thin.bmp"));
  form.Command3->click();
  Press(Qt::Key_A);
  Move(0, 25);
  Move(0, 30);
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_NE(messages.Messages()[0].text.find("only 1 pixel wide"), std::string::npos);
  EXPECT_TRUE(form.bSelecting());
}

TEST_F(Form1RegionTest, TheHintNamesTheRegionKeys) {
  const std::string hint = form.windowTitle().toStdString();
  for (const char* word : {"] and [", "\\", "A frames the whole picture"})
    EXPECT_NE(hint.find(word), std::string::npos) << word;
}

TEST_F(Form1RegionTest, TheJpegSaveKeepsWithinTheSizeBoxAndShowsTheQualityChosen) {
  Press(Qt::Key_A);
  form.picSource_Click();
  form.txtMaxSize->SetText("1");
  const fs::path path = dir / "mini.jpg";
  dialogs.Choose(path.string());
  form.cmdSave_Click();
  ASSERT_TRUE(fs::exists(path));
  EXPECT_LE(fs::file_size(path), 1024u);
  const int quality = std::stoi(form.txtQuality->Text());
  if (quality < 100) {
    EXPECT_GT(mIntelJPEGLibrary::EncodeJPEG(*form.cDIB, quality + 1).size(), 1024u);
  }
  EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(Form1RegionTest, AnUnusableSizeLimitIsNoLimitAndIsCleared) {
  form.picSource_Click();
  form.txtMaxSize->SetText("0");
  const fs::path unread = dir / "plain.jpg";
  dialogs.Choose(unread.string());
  form.cmdSave_Click();
  EXPECT_TRUE(fs::exists(unread)) << "an unusable limit is no limit";
  EXPECT_EQ(form.txtMaxSize->Text(), "");
}

// A large region is previewed from reduced copies of the picture, close to
// the result; the click still fixes the command line's result.
TEST_F(Form1LargeRegionTest, TheClickFixesTheExactResult) {
  Press(Qt::Key_BracketRight, 48);  // 896 x 896
  Move(600, 450);
  const std::unique_ptr<gdi::Bitmap> preview = form.picDest->Image().ShareCopy();
  const TargaFile expected = CommandLine({"--region", "896", "--center", "600,450"});
  double apart = 0;
  int differing = 0;
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width; ++x) {
      const QRgb a = PictureFiles::PixelOf(*preview, x, y), b = expected.At(x, y);
      apart += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
      differing += a != b;
    }
  }
  // The pattern changes every few pixels, the worst case for the copies' blocks.
  EXPECT_LT(apart / (3.0 * expected.width * expected.height), 8.0);
  // Made from the copies, so the click has something to sharpen.
  EXPECT_GT(differing, 0);
  form.picSource_Click();
  ExpectSame(form.picDest->Image(), expected);
  ExpectBitmapIsResult();
}

// Whatever sequence of region keys led there, what the preview shows is what
// the click fixes; a region over the reduced copies' limit once left its rough
// preview to be sharpened over a plain block.
TEST_F(Form1LargeRegionTest, TheClickFixesTheRegionShownAfterAnyKeys) {
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> keys;
    std::vector<std::string> args;
  } cases[] = {
      {"WholeThenOneToOne", {{kFit, 1}, {kOneToOne, 1}}, {"--center", "600,450"}},
      {"GrownThenOneToOne", {{kGrow, 48}, {kOneToOne, 1}}, {"--center", "600,450"}},
      {"WholeThenShrunk", {{kFit, 1}, {kShrink, 1}}, {"--region", "880", "--center", "600,450"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!form.bSelecting()) form.Command3->click();
    Move(600, 450);
    for (auto [key, times] : c.keys) Press(key, times);
    const TargaFile expected = CommandLine(c.args);
    if (c.args.size() == 2) ExpectSame(form.picDest->Image(), expected);
    form.picSource_Click();
    ExpectSame(form.picDest->Image(), expected);
    ExpectBitmapIsResult();
  }
}
