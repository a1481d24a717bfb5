#include <QMouseEvent>
#include <algorithm>
#include <cstring>
#include <random>

#include "app/Form1Fixture.h"
#include "platform/gdi/Gdi.h"

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);

class Form1SelectionTest : public Form1Fixture {
 protected:
  void LoadPattern(int width, int height) { Open(PatternFile(width, height)); }

  void Move(float x, float y) { form.picSource_MouseMove(0, 0, x, y); }

  QRgb Source(int x, int y) { return PictureFiles::PixelOf(form.picSource->Image(), x, y); }
  QRgb Dest(int x, int y) { return PictureFiles::PixelOf(form.picDest->Image(), x, y); }

  // The result shows exactly the block of the picture at (left, top).
  void ExpectResultIsBlockAt(int left, int top, int width, int height) {
    const gdi::Bitmap& dest = form.picDest->Image();
    ASSERT_EQ(dest.Width(), width);
    ASSERT_EQ(dest.Height(), height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(PictureFiles::PixelOf(dest, x, y), PictureFiles::PatternPixel(left + x, top + y))
            << x << "," << y;
  }

  // What the window shows when every earlier frame is wiped by copying the
  // whole clean picture back, and only the last frame is drawn.
  static std::unique_ptr<gdi::Bitmap> FullWipeWithFrame(const gdi::Bitmap& clean, const gdi::Rect& frame,
                                                        gdi::COLORREF colour) {
    auto expected = clean.ShareCopy();
    gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
    gdi::HGDIOBJ oldBitmap = gdi::SelectObject(dc, expected.get());
    gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, colour);
    gdi::HGDIOBJ oldPen = gdi::SelectObject(dc, pen);
    gdi::Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
    gdi::SelectObject(dc, oldPen);
    gdi::SelectObject(dc, oldBitmap);
    gdi::DeleteObject(pen);
    gdi::DeleteDC(dc);
    return expected;
  }

  static bool SamePixels(const gdi::Bitmap& a, const gdi::Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
      if (std::memcmp(a.Row(y), b.Row(y), 3 * static_cast<size_t>(a.Width())) != 0) return false;
    return true;
  }
};

}  // namespace

TEST_F(Form1SelectionTest, MakeYourSelectionSizesTheResultAndWaitsForTheMouse) {
  LoadPattern(300, 200);
  form.Command3->click();
  EXPECT_TRUE(form.bSelecting);
  EXPECT_FALSE(form.Command3->isEnabled());
  EXPECT_FLOAT_EQ(form.picDest->Width(), 128 * 15);
  EXPECT_FLOAT_EQ(form.picDest->Height(), 128 * 15);
  EXPECT_FLOAT_EQ(form.picDestBuffer->Width(), 128 * 15);
  EXPECT_FLOAT_EQ(form.Width(), form.picDest->Left() + form.picDest->Width() + 250);
}

TEST_F(Form1SelectionTest, ThePointerAtTheOriginSelectsTheTopLeftBlock) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(0, 0);
  ExpectResultIsBlockAt(0, 0, 128, 128);
  // The frame's right and bottom lines, one pixel clear of the block.
  EXPECT_EQ(Source(129, 5), kBlack);
  EXPECT_EQ(Source(5, 129), kBlack);
  EXPECT_EQ(Source(128, 5), PictureFiles::PatternPixel(128, 5));
}

TEST_F(Form1SelectionTest, ThePointerOnTheLastPixelSelectsTheBlockEndingThere) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(299.4f, 198.6f);
  ExpectResultIsBlockAt(172, 72, 128, 128);
  EXPECT_EQ(Source(171, 100), kBlack);
  EXPECT_EQ(Source(200, 71), kBlack);
}

TEST_F(Form1SelectionTest, FramesAlternateBlackAndWhiteAndOnlyTheLastOneStays) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(150, 100);
  EXPECT_EQ(Source(85, 100), kBlack);
  Move(151, 100);
  EXPECT_EQ(Source(86, 100), kWhite);
  EXPECT_EQ(Source(85, 100), PictureFiles::PatternPixel(85, 100));
  Move(152, 100);
  EXPECT_EQ(Source(87, 100), kBlack);
  EXPECT_EQ(form.lRectColor, 0u);
}

TEST_F(Form1SelectionTest, WipingOnlyOldFramesLeavesWhatAWipeOfTheWholePictureLeaves) {
  LoadPattern(300, 200);
  form.txtSelWidth->SetText("57");
  form.txtSelHeight->SetText("90");
  form.Command3->click();
  std::mt19937 random(7);
  std::uniform_real_distribution<float> x(-40, 340), y(-40, 240);
  for (int i = 0; i < 60; ++i) {
    float px = x(random), py = y(random);
    Move(px, py);
    int left = std::clamp(static_cast<int>(std::nearbyint(px)) - 28, 0, 300 - 57);
    int top = std::clamp(static_cast<int>(std::nearbyint(py)) - 45, 0, 200 - 90);
    auto expected =
        FullWipeWithFrame(form.picBuffer->Image(), {left - 1, top - 1, left + 59, top + 92}, form.lRectColor);
    ASSERT_TRUE(SamePixels(form.picSource->Image(), *expected)) << "move " << i;
  }
}

TEST_F(Form1SelectionTest, AClickFixesExactlyTheBlockWithoutFramePixels) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(100, 60);
  Move(150, 100);
  form.picSource_Click();
  EXPECT_FALSE(form.bSelecting);
  EXPECT_TRUE(form.Command3->isEnabled());
  EXPECT_TRUE(form.cmdSave->isEnabled());
  EXPECT_TRUE(form.picDest->AutoRedraw());
  ExpectResultIsBlockAt(86, 36, 128, 128);
  ASSERT_EQ(form.cDIB->Width(), 128);
  ASSERT_EQ(form.cDIB->Height(), 128);
  for (int y = 0; y < 128; y += 7)
    for (int x = 0; x < 128; x += 5)
      EXPECT_EQ(PictureFiles::PixelOf(*form.cDIB->hDib(), x, y), PictureFiles::PatternPixel(86 + x, 36 + y));
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
}

TEST_F(Form1SelectionTest, OutsideSelectionModeMovesAndClicksChangeNothing) {
  LoadPattern(300, 200);
  Move(100, 100);
  form.picSource_Click();
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
  EXPECT_FALSE(form.cmdSave->isEnabled());
  EXPECT_EQ(form.cDIB->Width(), 300);
}

TEST_F(Form1SelectionTest, OddAndEvenHeightsAroundThePointer) {
  LoadPattern(300, 300);
  form.txtSelWidth->SetText("10");
  form.txtSelHeight->SetText("127");
  form.Command3->click();
  Move(150, 100);
  EXPECT_EQ(Dest(0, 0), PictureFiles::PatternPixel(145, 37));
  EXPECT_EQ(Dest(0, 126), PictureFiles::PatternPixel(145, 163));
}

TEST_F(Form1SelectionTest, ABlockWiderThanThePictureShowsTheBackgroundWhereThePictureEnds) {
  LoadPattern(100, 200);
  form.Command3->click();
  Move(50, 100);
  const QRgb background = qRgb(240, 240, 240);
  for (int y = 0; y < 128; y += 9) {
    for (int x = 0; x < 28; ++x) ASSERT_EQ(Dest(x, y), background) << x << "," << y;
    EXPECT_EQ(Dest(28, y), PictureFiles::PatternPixel(0, 36 + y));
    EXPECT_EQ(Dest(127, y), PictureFiles::PatternPixel(99, 36 + y));
  }
}

TEST_F(Form1SelectionTest, ABlockTooBigChangedMidwayIsCutToTheSurfaces) {
  LoadPattern(300, 200);
  form.Command3->click();
  form.txtSelWidth->SetText("200");
  form.txtSelHeight->SetText("150");
  Move(150, 100);
  form.picSource_Click();
  ExpectResultIsBlockAt(50, 25, 128, 128);
  EXPECT_EQ(form.cDIB->Width(), 128);
}

TEST_F(Form1SelectionTest, UnusableSizesAndMovesBeforeAnyPictureAreIgnoredQuietly) {
  form.Command3->click();
  Move(10, 10);
  form.picSource_Click();
  EXPECT_TRUE(messages.Messages().empty());

  LoadPattern(300, 200);
  form.txtSelWidth->SetText("abc");
  form.Command3->click();
  EXPECT_FALSE(form.bSelecting);
  form.txtSelWidth->SetText("128");
  form.Command3->click();
  form.txtSelHeight->SetText("");
  Move(100, 100);
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
  EXPECT_TRUE(messages.Messages().empty());
  EXPECT_TRUE(form.bSelecting);
}

TEST_F(Form1SelectionTest, ARealMouseMoveAndClickDriveTheSelection) {
  LoadPattern(300, 200);
  form.Command3->click();
  QMouseEvent move(QEvent::MouseMove, QPointF(150, 100), QPointF(150, 100), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(form.picSource, &move);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(150, 100), QPointF(150, 100), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.picSource, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(150, 100), QPointF(150, 100), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.picSource, &release);
  EXPECT_FALSE(form.bSelecting);
  ExpectResultIsBlockAt(86, 36, 128, 128);
}

namespace {

void PostMove(QWidget* target, QPointF at) {
  QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseMove, at, target->mapToGlobal(at),
                                                      Qt::NoButton, Qt::NoButton, Qt::NoModifier));
}

void PostClick(QWidget* target, QPointF at) {
  QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, at, target->mapToGlobal(at),
                                                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, at, target->mapToGlobal(at),
                                                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

}  // namespace

// The frame's drawing lets pending events run; what they do must not bring a
// frame into the preview or change a result already fixed.
TEST_F(Form1SelectionTest, AMoveHandledWhileTheFrameIsDrawnLeavesACleanPreview) {
  LoadPattern(300, 200);
  form.Command3->click();
  PostMove(form.picSource, QPointF(110, 100));
  Move(100, 100);
  ExpectResultIsBlockAt(46, 36, 128, 128);
  const gdi::Bitmap& buffer = form.picDestBuffer->Image();
  EXPECT_EQ(PictureFiles::PixelOf(buffer, 0, 0), PictureFiles::PatternPixel(46, 36));
}

TEST_F(Form1SelectionTest, AClickHandledWhileTheFrameIsDrawnFixesTheSameCropOnBothSurfaces) {
  LoadPattern(300, 200);
  form.Command3->click();
  Move(150, 100);
  PostClick(form.picSource, QPointF(150, 100));
  Move(100, 100);
  EXPECT_FALSE(form.bSelecting);
  ExpectResultIsBlockAt(86, 36, 128, 128);
  for (int y = 0; y < 128; y += 9)
    for (int x = 0; x < 128; x += 7) ASSERT_EQ(PictureFiles::PixelOf(*form.cDIB->hDib(), x, y), Dest(x, y));
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
}

TEST_F(Form1SelectionTest, FramesDrawnWhileThePictureIsEmptyAreWipedByTheClick) {
  LoadPattern(300, 200);
  dialogs.Cancel();
  form.Command1->click();
  form.cmdReload->click();
  ASSERT_EQ(form.lblOrigWidth->text(), "0");
  form.Command3->click();
  Move(100, 100);
  Move(120, 90);
  form.picSource_Click();
  EXPECT_TRUE(SamePixels(form.picSource->Image(), form.picBuffer->Image()));
}

TEST_F(Form1SelectionTest, SizesNoCropCanHaveAreIgnoredAndTheButtonStaysUsable) {
  LoadPattern(300, 200);
  form.txtSelWidth->SetText("30000");
  form.txtSelHeight->SetText("30000");
  form.Command3->click();
  EXPECT_FALSE(form.bSelecting);
  EXPECT_TRUE(form.Command3->isEnabled());
  form.txtSelWidth->SetText("32768");
  form.txtSelHeight->SetText("1");
  form.Command3->click();
  EXPECT_FALSE(form.bSelecting);
  EXPECT_TRUE(messages.Messages().empty());
}
