#include <gtest/gtest.h>

#include <cmath>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "platform/gdi/Gdi.h"
#include "platform/ui/Events.h"
#include "platform/ui/PictureBox.h"
#include "support/qt/PictureFiles.h"

using platform::PictureBox;

namespace {

// A 1000 x 800 picture in a view of at most 300 x 200 pixels, on screen.
class PictureBoxViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box.SetScaleMode(gdi::vbPixels);
    box.SetAutoSize(true);
    box.SetScrollable(true);
    box.SetPicture(PictureFiles::PatternPicture(1000, 800));
    box.SetViewLimit(QSize(300, 200));
    box.show();
    platform::DoEvents();
    QObject::connect(&box, &PictureBox::mouseMoved,
                     [this](int, int, float x, float y) { moved = QPointF(x, y); });
    QObject::connect(&box, &PictureBox::zoomRequested, [this](int steps, QPointF) { zoomSteps += steps; });
  }

  void Wheel(QPoint angle, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent event(QPointF(50, 50), box.mapToGlobal(QPointF(50, 50)), QPoint(), angle, Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&box, &event);
  }

  void Key(int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &event);
  }

  void MoveTo(QPointF at) {
    QMouseEvent event(QEvent::MouseMove, at, box.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &event);
  }

  QRgb Shown(int x, int y) { return box.grab().toImage().pixel(x, y) | 0xFF000000u; }

  PictureBox box;
  QPointF moved{-1, -1};
  int zoomSteps = 0;
};

struct WheelCase {
  const char* name;
  QPoint angle;
  Qt::KeyboardModifiers modifiers;
  QPoint scrolled;
};

class PictureBoxWheel : public PictureBoxViewTest, public ::testing::WithParamInterface<WheelCase> {};

}  // namespace

TEST_F(PictureBoxViewTest, ALimitedViewGetsScrollBarsAndKeepsThePicturesSize) {
  EXPECT_EQ(box.size(), QSize(300, 200));
  EXPECT_LT(box.Viewport().width(), 300) << "room for the vertical bar";
  EXPECT_FLOAT_EQ(box.ScaleWidth(), 1000);
  EXPECT_FLOAT_EQ(box.Width(), 15000);
  EXPECT_EQ(box.MaxScroll(), QPoint(1000 - box.Viewport().width(), 800 - box.Viewport().height()));
  box.SetViewLimit(std::nullopt);
  EXPECT_EQ(box.size(), QSize(1000, 800)) << "without a limit the box is the picture again";
}

TEST_P(PictureBoxWheel, TheWheelScrollsAsInOtherPrograms) {
  box.ScrollTo(QPoint(200, 200));
  Wheel(GetParam().angle, GetParam().modifiers);
  EXPECT_EQ(box.ScrollPosition(), QPoint(200, 200) + GetParam().scrolled);
}

INSTANTIATE_TEST_SUITE_P(
    Directions, PictureBoxWheel,
    ::testing::Values(WheelCase{"Down", QPoint(0, -120), Qt::NoModifier, QPoint(0, 60)},
                      WheelCase{"Up", QPoint(0, 120), Qt::NoModifier, QPoint(0, -60)},
                      WheelCase{"ShiftTurnsItSideways", QPoint(0, -120), Qt::ShiftModifier, QPoint(60, 0)},
                      WheelCase{"Sideways", QPoint(-120, 0), Qt::NoModifier, QPoint(60, 0)},
                      WheelCase{"CtrlZoomsInstead", QPoint(0, 120), Qt::ControlModifier, QPoint(0, 0)}),
    [](const ::testing::TestParamInfo<WheelCase>& wheel) { return std::string(wheel.param.name); });

TEST_F(PictureBoxViewTest, CtrlWheelAsksForZoomStepsAndHalfNotchesAddUp) {
  Wheel(QPoint(0, 120), Qt::ControlModifier);
  Wheel(QPoint(0, -60), Qt::ControlModifier);
  Wheel(QPoint(0, -60), Qt::ControlModifier);
  Wheel(QPoint(0, -60), Qt::ControlModifier);
  EXPECT_EQ(zoomSteps, 0);
  Wheel(QPoint(0, -60), Qt::ControlModifier);
  EXPECT_EQ(zoomSteps, -1);
}

TEST_F(PictureBoxViewTest, KeysScrollUnlessThePointerIsFollowed) {
  Key(Qt::Key_Right);
  Key(Qt::Key_PageDown);
  EXPECT_EQ(box.ScrollPosition(), QPoint(20, box.Viewport().height()));
  Key(Qt::Key_End);
  EXPECT_EQ(box.ScrollPosition(), box.MaxScroll());
  box.SetFollowPointer([] { return true; });
  Key(Qt::Key_Home);
  EXPECT_EQ(box.ScrollPosition(), box.MaxScroll()) << "the window has the keys while following";
}

TEST_F(PictureBoxViewTest, MovesArriveInPicturePixelsScrolledAndZoomed) {
  box.ScrollTo(QPoint(100, 50));
  MoveTo(QPointF(10, 20));
  EXPECT_EQ(moved, QPointF(110, 70));
  box.SetZoom(0.25, QPointF());
  MoveTo(QPointF(10, 20));
  EXPECT_EQ(moved, QPointF(42, 82));
}

// The mean of a square block of the pattern, each channel rounded once.
QRgb PatternMean(int left, int top, int side) {
  int sums[3] = {0, 0, 0};
  for (int y = top; y < top + side; ++y) {
    for (int x = left; x < left + side; ++x) {
      const QRgb p = PictureFiles::PatternPixel(x, y);
      sums[0] += qRed(p), sums[1] += qGreen(p), sums[2] += qBlue(p);
    }
  }
  const int n = side * side;
  return qRgb((sums[0] + n / 2) / n, (sums[1] + n / 2) / n, (sums[2] + n / 2) / n);
}

TEST_F(PictureBoxViewTest, ZoomedOutEachScreenPixelIsTheMeanOfItsBlockZoomedInThePixelItFallsOn) {
  box.SetZoom(0.25, QPointF());
  EXPECT_EQ(box.size(), QSize(250, 200));
  for (QPoint at : {QPoint(0, 0), QPoint(17, 33), QPoint(249, 199)})
    EXPECT_EQ(Shown(at.x(), at.y()), PatternMean(4 * at.x(), 4 * at.y(), 4));
  box.SetZoom(2, QPointF());
  box.ScrollTo(QPoint(11, 0));
  EXPECT_EQ(Shown(0, 0), PictureFiles::PatternPixel(5, 0));
  EXPECT_EQ(Shown(1, 1), PictureFiles::PatternPixel(6, 0));
}

TEST_F(PictureBoxViewTest, ZoomedOutAnOutlineStaysInSightUntilDrawnOver) {
  box.SetZoom(0.25, QPointF());
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_SOLID, 1, gdi::RGB(255, 0, 255));
  gdi::HGDIOBJ old = gdi::SelectObject(box.hDC(), pen);
  // Columns 101 and 229, rows 41 and 169: none of them is a pixel the zoomed view samples.
  gdi::Rectangle(box.hDC(), 101, 41, 230, 170);
  gdi::SelectObject(box.hDC(), old);
  gdi::DeleteObject(pen);
  const QRgb magenta = qRgb(255, 0, 255);
  EXPECT_EQ(Shown(25, 10), magenta);
  EXPECT_EQ(Shown(57, 30), magenta);
  EXPECT_EQ(Shown(40, 42), magenta);
  EXPECT_NE(Shown(40, 20), magenta) << "the inside is left alone";
  gdi::BitBlt(box.hDC(), 101, 41, 129, 1, box.hDC(), 0, 0, gdi::SRCCOPY);
  EXPECT_NE(Shown(25, 10), magenta) << "copied over, the outline is gone";
}

class PictureBoxThinLines : public testing::TestWithParam<double> {};

// A one-pixel dark line on white, at a column and a row nearest-pixel drawing
// skips at a quarter: every row and column of the view still shows it, as
// much darker as the line's share of the screen pixels it falls in.
TEST_P(PictureBoxThinLines, StayInSightAtAnyZoomOut) {
  const double zoom = GetParam();
  auto bitmap = gdi::Bitmap::Create(1000, 800, false);
  bitmap->Fill(gdi::RGB(255, 255, 255));
  bitmap->FillRect({101, 0, 102, 800}, gdi::RGB(0, 0, 0));
  bitmap->FillRect({0, 41, 1000, 42}, gdi::RGB(0, 0, 0));
  PictureBox box;
  box.SetScaleMode(gdi::vbPixels);
  box.SetAutoSize(true);
  box.SetPicture(std::make_shared<const gdi::Picture>(std::move(bitmap)));
  box.SetViewLimit(QSize(300, 200));
  box.SetZoom(zoom, QPointF());
  box.show();
  platform::DoEvents();
  const QImage shown = box.grab().toImage();
  // The line's darkness spread over the screen pixels it falls in adds up to about its share.
  const int expected = static_cast<int>(255 * zoom);
  auto darkness = [&](bool row, int at) {
    int sum = 0;
    for (int i = 0; i < (row ? shown.width() : shown.height()); ++i)
      sum += 255 - qGreen(row ? shown.pixel(i, at) : shown.pixel(at, i));
    return sum;
  };
  for (int y = 30; y < shown.height(); y += 7)
    EXPECT_GE(darkness(true, y), expected * 9 / 10) << "row " << y << " at zoom " << zoom;
  for (int x = 30; x < shown.width(); x += 7)
    EXPECT_GE(darkness(false, x), expected * 9 / 10) << "column " << x << " at zoom " << zoom;
}

INSTANTIATE_TEST_SUITE_P(Zooms, PictureBoxThinLines, testing::Values(0.5, 0.34, 0.25, 0.2, 0.12, 0.0833),
                         [](const testing::TestParamInfo<double>& param) {
                           return "Percent" + std::to_string(std::lround(param.param * 100));
                         });

TEST_F(PictureBoxViewTest, TheScrollBarsFollowTheViewThroughAZoom) {
  box.ScrollTo(box.MaxScroll());
  box.SetZoom(0.5, QPointF(100, 100));
  for (QScrollBar* bar : box.findChildren<QScrollBar*>()) {
    const int expected =
        bar->orientation() == Qt::Horizontal ? box.ScrollPosition().x() : box.ScrollPosition().y();
    EXPECT_EQ(bar->value(), expected);
    EXPECT_GT(bar->value(), 0);
  }
}

TEST(PictureBox, TakingOwnPixelsCopiesThePictureOnceBeforeAnyDrawing) {
  PictureBox box;
  box.SetAutoSize(true);
  gdi::PicturePtr picture = PictureFiles::PatternPicture(40, 30);
  box.SetPicture(picture);
  box.TakeOwnPixels();
  const uint8_t* own = box.Image().Bits();
  EXPECT_NE(own, picture->Handle()->Bits());
  EXPECT_EQ(PictureFiles::PixelOf(box.Image(), 39, 29), PictureFiles::PatternPixel(39, 29));
  gdi::BitBlt(box.hDC(), 0, 0, 1, 1, box.hDC(), 5, 5, gdi::SRCCOPY);
  EXPECT_EQ(box.Image().Bits(), own) << "the drawing finds its pixels ready";
}
