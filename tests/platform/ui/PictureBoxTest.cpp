#include "platform/ui/PictureBox.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QWindow>

#include "platform/base/AppError.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/MemorySurface.h"
#include "platform/ui/Events.h"
#include "support/qt/PictureFiles.h"

using platform::PictureBox;

namespace {

constexpr QRgb kBackground = qRgb(240, 240, 240);

// Draws a width x height block of one colour into the box at (x, y), as the window's code does.
void DrawBlock(PictureBox& box, int x, int y, int width, int height, gdi::COLORREF colour) {
  gdi::MemorySurface block(width, height, colour);
  gdi::BitBlt(box.hDC(), x, y, width, height, block.hDC(), 0, 0, gdi::SRCCOPY);
}

class PaintRecorder : public QObject {
 public:
  QRegion painted;
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      painted += static_cast<QPaintEvent*>(event)->region();
      ++paints;
    }
    return false;
  }
};

// A box on screen with no paint pending.
class ShownBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetScaleMode(gdi::vbPixels);
    box.Move(0, 0, 120 * 15, 90 * 15);
    box.show();
    for (int i = 0; i < 5; ++i) platform::DoEvents();
    box.installEventFilter(&recorder);
  }

  PictureBox box;
  PaintRecorder recorder;
};

struct MouseReport {
  int button = -1, shift = -1;
  float x = -1, y = -1;
};

void Send(QWidget& widget, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QMouseEvent event(type, at, widget.mapToGlobal(at), button, buttons, modifiers);
  QCoreApplication::sendEvent(&widget, &event);
}

}  // namespace

TEST(PictureBox, PlacedInTwipsWithTheInsideMeasuredInItsScaleUnit) {
  PictureBox box;
  box.Move(3000, 120, 1995, 555);
  EXPECT_EQ(box.geometry(), QRect(200, 8, 133, 37));
  EXPECT_FLOAT_EQ(box.Left(), 3000);
  EXPECT_FLOAT_EQ(box.Top(), 120);
  EXPECT_FLOAT_EQ(box.Width(), 1995);
  EXPECT_FLOAT_EQ(box.Height(), 555);
  EXPECT_EQ(box.ScaleMode(), gdi::vbTwips);
  EXPECT_FLOAT_EQ(box.ScaleWidth(), 1995);
  box.SetScaleMode(gdi::vbPixels);
  EXPECT_FLOAT_EQ(box.ScaleWidth(), 133);
  EXPECT_FLOAT_EQ(box.ScaleHeight(), 37);
  EXPECT_EQ(box.Image().Width(), 133);
  EXPECT_EQ(box.Image().Height(), 37);
  box.SetLeft(7365);
  box.SetHeight(3180);
  EXPECT_EQ(box.geometry(), QRect(491, 8, 133, 212));
  EXPECT_EQ(box.Image().Height(), 212);
}

TEST(PictureBox, OnlyTwipsAndPixelsAreScaleUnits) {
  PictureBox box;
  try {
    box.SetScaleMode(0);
    ADD_FAILURE() << "no error raised";
  } catch (const platform::AppError& e) {
    EXPECT_EQ(e.Number(), platform::ErrorNumber::InvalidArgument);
  }
  EXPECT_EQ(box.ScaleMode(), gdi::vbTwips);
}

TEST(PictureBox, AutoSizeTakesThePicturesSizeAndSharesItsPixelsUntilDrawnOn) {
  PictureBox box;
  box.SetAutoSize(true);
  gdi::PicturePtr picture = PictureFiles::PatternPicture(283, 212);
  box.SetPicture(picture);
  EXPECT_EQ(box.size(), QSize(283, 212));
  EXPECT_FLOAT_EQ(box.Width(), 4245);
  EXPECT_FLOAT_EQ(box.Height(), 3180);
  EXPECT_EQ(box.Image().Bits(), picture->Handle()->Bits()) << "setting a picture must not copy it";

  DrawBlock(box, 10, 10, 4, 4, gdi::RGB(1, 2, 3));
  EXPECT_NE(box.Image().Bits(), picture->Handle()->Bits());
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 11, 11), qRgb(1, 2, 3));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 50, 50), PictureFiles::PatternPixel(50, 50));
  EXPECT_EQ(PictureFiles::PixelOf(*picture->Handle(), 11, 11), PictureFiles::PatternPixel(11, 11))
      << "drawing on the box must leave the picture alone";
}

TEST(PictureBox, WithoutAutoSizeThePictureSitsTopLeftOnTheBackground) {
  PictureBox box;
  box.SetScaleMode(gdi::vbPixels);
  box.Move(0, 0, 150, 150);
  box.SetPicture(PictureFiles::PatternPicture(4, 3));
  EXPECT_EQ(box.size(), QSize(10, 10));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 3, 2), PictureFiles::PatternPixel(3, 2));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 4, 2), kBackground);
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 3, 3), kBackground);
  box.SetPicture(PictureFiles::PatternPicture(20, 20));
  EXPECT_EQ(box.size(), QSize(10, 10));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 9, 9), PictureFiles::PatternPixel(9, 9));
}

TEST(PictureBox, AnEmptyPictureOrANewBackColourClearsTheDrawings) {
  PictureBox box;
  box.SetScaleMode(gdi::vbPixels);
  box.Move(0, 0, 150, 150);
  DrawBlock(box, 0, 0, 10, 10, gdi::RGB(9, 9, 9));
  box.SetPicture(std::make_shared<const gdi::Picture>());
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 5, 5), kBackground);
  DrawBlock(box, 0, 0, 10, 10, gdi::RGB(9, 9, 9));
  box.SetBackColor(gdi::RGB(10, 20, 30));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 5, 5), qRgb(10, 20, 30));
}

TEST(PictureBox, ResizingKeepsTheOverlapAndFillsTheRestWithTheBackground) {
  PictureBox box;
  box.SetScaleMode(gdi::vbPixels);
  box.SetAutoSize(true);
  box.SetPicture(PictureFiles::PatternPicture(6, 4));
  DrawBlock(box, 5, 3, 1, 1, gdi::RGB(7, 7, 7));
  box.SetWidth(10 * 15);
  EXPECT_EQ(box.Image().Width(), 10);
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 4, 3), PictureFiles::PatternPixel(4, 3));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 5, 3), qRgb(7, 7, 7));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 6, 0), kBackground);
  box.SetHeight(2 * 15);
  box.SetHeight(4 * 15);
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 0, 1), PictureFiles::PatternPixel(0, 1));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 0, 2), kBackground) << "rows cut off are gone";
  DrawBlock(box, 9, 3, 1, 1, gdi::RGB(8, 8, 8));
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 9, 3), qRgb(8, 8, 8)) << "the context draws on the new image";
}

TEST_F(ShownBoxTest, ADrawingRepaintsExactlyTheRectangleItChanged) {
  DrawBlock(box, 20, 30, 10, 7, gdi::RGB(200, 0, 0));
  platform::DoEvents();
  EXPECT_EQ(recorder.painted, QRegion(20, 30, 10, 7));

  recorder.painted = QRegion();
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, gdi::RGB(0, 0, 0));
  gdi::HGDIOBJ old = gdi::SelectObject(box.hDC(), pen);
  gdi::Rectangle(box.hDC(), 50, 40, 60, 45);
  gdi::SelectObject(box.hDC(), old);
  gdi::DeleteObject(pen);
  platform::DoEvents();
  QRegion outline = QRegion(50, 40, 10, 5).subtracted(QRegion(51, 41, 8, 3));
  EXPECT_EQ(recorder.painted, outline);
}

TEST_F(ShownBoxTest, WhatIsPaintedIsTheKeptImage) {
  box.SetPicture(PictureFiles::PatternPicture(120, 90));
  DrawBlock(box, 100, 80, 5, 5, gdi::RGB(1, 200, 3));
  QImage shown = box.grab().toImage();
  EXPECT_EQ(shown.pixel(17, 33), PictureFiles::PatternPixel(17, 33));
  EXPECT_EQ(shown.pixel(119, 0), PictureFiles::PatternPixel(119, 0));
  EXPECT_EQ(shown.pixel(102, 82), qRgb(1, 200, 3));
}

TEST_F(ShownBoxTest, RefreshRepaintsAtOnce) {
  box.Refresh();
  EXPECT_EQ(recorder.paints, 1);
  EXPECT_EQ(recorder.painted, QRegion(box.rect()));
}

TEST(PictureBox, MouseMovesWithOrWithoutAButtonAndClicksArriveInTheScaleUnit) {
  PictureBox box;
  box.Move(0, 0, 1500, 1500);
  box.SetScaleMode(gdi::vbPixels);
  MouseReport move, click;
  int clicks = 0;
  QObject::connect(&box, &PictureBox::mouseMoved, [&](int b, int s, float x, float y) {
    move = {b, s, x, y};
  });
  QObject::connect(&box, &PictureBox::clicked, [&](int b, int s, float x, float y) {
    click = {b, s, x, y};
    ++clicks;
  });

  Send(box, QEvent::MouseMove, {12.5, 7.25}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(move.button, 0);
  EXPECT_FLOAT_EQ(move.x, 12.5f);
  EXPECT_FLOAT_EQ(move.y, 7.25f);
  Send(box, QEvent::MouseMove, {3, 4}, Qt::NoButton, Qt::LeftButton | Qt::RightButton, Qt::ShiftModifier);
  EXPECT_EQ(move.button, 3);
  EXPECT_EQ(move.shift, 1);
  box.SetScaleMode(gdi::vbTwips);
  Send(box, QEvent::MouseMove, {2, 3}, Qt::NoButton, Qt::NoButton, Qt::ControlModifier);
  EXPECT_FLOAT_EQ(move.x, 30);
  EXPECT_FLOAT_EQ(move.y, 45);
  EXPECT_EQ(move.shift, 2);

  box.SetScaleMode(gdi::vbPixels);
  Send(box, QEvent::MouseButtonPress, {40, 50}, Qt::LeftButton, Qt::LeftButton);
  Send(box, QEvent::MouseButtonRelease, {41, 52}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(click.button, 1);
  EXPECT_FLOAT_EQ(click.x, 41);
  EXPECT_FLOAT_EQ(click.y, 52);

  Send(box, QEvent::MouseButtonPress, {40, 50}, Qt::LeftButton, Qt::LeftButton);
  Send(box, QEvent::MouseButtonRelease, {400, 50}, Qt::LeftButton, Qt::NoButton);
  Send(box, QEvent::MouseButtonPress, {40, 50}, Qt::RightButton, Qt::RightButton);
  Send(box, QEvent::MouseButtonRelease, {40, 50}, Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(clicks, 1) << "a release off the box or another button is no click";
}

// What the window really shows: its backing store, through the screen, with the
// box placed inside a parent and partly covered by a sibling above it.
TEST(PictureBox, TheWindowShowsTheKeptImageAtTheBoxsPlaceUnderWidgetsAboveIt) {
  QWidget window;
  window.resize(200, 150);
  PictureBox box(&window);
  box.SetAutoSize(true);
  box.SetPicture(PictureFiles::PatternPicture(120, 90));
  box.move(13, 21);
  QWidget cover(&window);
  cover.setGeometry(40, 50, 20, 10);
  cover.setAutoFillBackground(true);
  QPalette palette = cover.palette();
  palette.setColor(QPalette::Window, QColor(255, 0, 0));
  cover.setPalette(palette);
  cover.raise();
  window.show();
  for (int i = 0; i < 5; ++i) platform::DoEvents();
  DrawBlock(box, 100, 70, 6, 6, gdi::RGB(1, 200, 3));
  platform::DoEvents();

  QImage shown = window.screen()->grabWindow(window.winId()).toImage();
  ASSERT_GE(shown.width(), 133);
  for (int y = 0; y < 90; y += 7) {
    for (int x = 0; x < 120; x += 5) {
      QPoint at(13 + x, 21 + y);
      QRgb expected = QRect(40, 50, 20, 10).contains(at)           ? qRgb(255, 0, 0)
                      : (x >= 100 && x < 106 && y >= 70 && y < 76) ? qRgb(1, 200, 3)
                                                                   : PictureFiles::PatternPixel(x, y);
      ASSERT_EQ(shown.pixel(at) | 0xFF000000u, expected) << x << "," << y;
    }
  }
  EXPECT_EQ(shown.pixel(12, 21) | 0xFF000000u, window.palette().color(QPalette::Window).rgb() | 0xFF000000u);
}
