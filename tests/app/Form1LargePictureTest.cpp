#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWheelEvent>
#include <cmath>
#include <vector>

#include "app/Form1Fixture.h"
#include "cli/TargaFile.h"
#include "platform/ui/Events.h"
#include "platform/ui/ScreenMetrics.h"

namespace {

// A screen of the given size; the test program's own large one comes back after the test.
class PretendScreen {
 public:
  explicit PretendScreen(QSize size) {
    platform::ScreenMetrics::PretendAvailableArea(QRect(QPoint(0, 0), size));
  }
  ~PretendScreen() { platform::ScreenMetrics::PretendAvailableArea(QRect(0, 0, 16384, 16384)); }
};

void Send(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &event);
}

class Form1LargePictureTest : public Form1Fixture, public ::testing::WithParamInterface<QSize> {
 protected:
  Form1LargePictureTest() : screen(GetParam()) { form.show(); }

  void OpenLarge() { Open(PatternFile(4000, 3000, "large.bmp")); }

  // A real pointer over the picture's view, at a point of the widget.
  void MoveTo(QPoint at) { Send(form.picSource, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
  void ClickAt(QPoint at) {
    Send(form.picSource, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Send(form.picSource, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
  }
  void SelectAt(QPoint at) {
    form.Command3->click();
    MoveTo(at);
    ClickAt(at);
  }

  void ExpectResultIsBlockAt(int left, int top) {
    const gdi::Bitmap& dest = form.picDest->Image();
    ASSERT_EQ(dest.Width(), 128);
    ASSERT_EQ(dest.Height(), 128);
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x)
        ASSERT_EQ(PictureFiles::PixelOf(dest, x, y), PictureFiles::PatternPixel(left + x, top + y))
            << x << "," << y;
  }

  PretendScreen screen;
};

std::string Name(const ::testing::TestParamInfo<QSize>& info) {
  return std::to_string(info.param.width()) + "x" + std::to_string(info.param.height());
}

bool Shows(Form1& form, QWidget* control) {
  const QRect area(control->mapTo(&form, QPoint(0, 0)), control->size());
  if (!control->isVisible() || !form.rect().contains(area)) return false;
  for (QWidget* at = form.childAt(area.center()); at; at = at->parentWidget())
    if (at == control) return true;
  return false;
}

}  // namespace

TEST_P(Form1LargePictureTest, TheWindowStaysOnTheScreenWithEveryControlInSight) {
  OpenLarge();
  EXPECT_TRUE(QRect(QPoint(0, 0), GetParam()).contains(form.frameGeometry()));
  std::vector<QWidget*> controls{form.Frame2,   form.Command1, form.cmdReload, form.Frame5,    form.Option1,
                                 form.Option2,  form.Frame6,   form.Command3,  form.Frame4,    form.Command6,
                                 form.Command5, form.Command7, form.Command8,  form.picSource, form.zoomBar};
  for (QWidget* control : controls) EXPECT_TRUE(Shows(form, control)) << control->metaObject()->className();
  form.Command3->click();
  EXPECT_TRUE(Shows(form, form.picDest)) << "the preview sits beside the view";
  EXPECT_FALSE(form.picSource->geometry().intersects(form.picDest->geometry()));
  EXPECT_FLOAT_EQ(form.picSource->ScaleWidth(), 4000) << "the picture keeps its size in pixels";
  EXPECT_EQ(form.picSource->Zoom(), 1.0) << "opened at actual size";
}

TEST_P(Form1LargePictureTest, ScrolledToTheCornerTheLastPixelSelectsTheLastBlock) {
  OpenLarge();
  form.picSource->ScrollTo(form.picSource->MaxScroll());
  SelectAt(form.picSource->Viewport().bottomRight());
  ExpectResultIsBlockAt(3872, 2872);
}

TEST_P(Form1LargePictureTest, ThePointerFollowsThePictureWhereverItIsScrolled) {
  OpenLarge();
  form.picSource->ScrollTo(QPoint(1000, 700));
  SelectAt(QPoint(300, 200));
  ExpectResultIsBlockAt(1300 - 64, 900 - 64);
}

TEST_P(Form1LargePictureTest, TheSamePicturePointGivesTheSameBlockAtActualSizeAndAtFit) {
  OpenLarge();
  form.ZoomToFit();
  form.Command3->click();
  const double zoom = form.picSource->Zoom();
  ASSERT_LT(zoom, 0.25);
  EXPECT_EQ(form.picSource->MaxScroll(), QPoint(0, 0)) << "the whole picture is in sight";
  const QPoint at(150, 100);
  // The pixel whose shown area holds the centre of the screen pixel under the pointer.
  const int x = static_cast<int>(std::floor((at.x() + 0.5) / zoom));
  const int y = static_cast<int>(std::floor((at.y() + 0.5) / zoom));
  MoveTo(at);
  ClickAt(at);
  {
    SCOPED_TRACE("at fit");
    ExpectResultIsBlockAt(x - 64, y - 64);
  }
  form.ZoomToActualSize();
  form.Command3->click();
  form.picSource->ScrollTo(QPoint(x, y) - at);
  ASSERT_EQ(form.picSource->ScrollPosition(), QPoint(x, y) - at);
  MoveTo(at);
  ClickAt(at);
  SCOPED_TRACE("at actual size");
  ExpectResultIsBlockAt(x - 64, y - 64);
}

TEST_P(Form1LargePictureTest, AZoomedSelectionSavesExactlyItsBlock) {
  OpenLarge();
  form.ZoomToFit();
  const QPoint corner = form.picSource->Viewport().bottomRight();
  SelectAt(corner);
  const std::filesystem::path saved = dir / "corner.tga";
  dialogs.Choose(saved.string());
  form.Command6->click();
  const TargaFile tga = TargaFile::Read(saved);
  EXPECT_EQ(tga.type, 2);
  EXPECT_EQ(tga.depth, 24);
  ASSERT_EQ(tga.width, 128);
  ASSERT_EQ(tga.height, 128);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) ASSERT_EQ(tga.At(x, y), PictureFiles::PatternPixel(3872 + x, 2872 + y));
}

TEST_P(Form1LargePictureTest, TheZoomChosenIsKeptForTheNextLargePictureOnly) {
  OpenLarge();
  form.ZoomToFit();
  const double fit = form.picSource->Zoom();
  Open(PatternFile(300, 200, "small.bmp"));
  EXPECT_EQ(form.picSource->Zoom(), 1.0);
  EXPECT_EQ(form.picSource->geometry(), QRect(200, 8, 300, 200)) << "a picture that fits is shown as it is";
  EXPECT_FALSE(form.zoomBar->isVisible());
  OpenLarge();
  EXPECT_DOUBLE_EQ(form.picSource->Zoom(), fit);
  EXPECT_TRUE(form.zoomBar->isVisible());
}

TEST_P(Form1LargePictureTest, CtrlWheelZoomsAroundThePointer) {
  OpenLarge();
  form.picSource->ScrollTo(QPoint(500, 400));
  const QPointF at(200, 150);
  const QPointF before = form.picSource->PictureAt(at);
  QWheelEvent wheel(at, form.picSource->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::ControlModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(form.picSource, &wheel);
  EXPECT_DOUBLE_EQ(form.picSource->Zoom(), 1.5);
  EXPECT_EQ(form.zoomBar->lblZoom->text(), "150 %");
  EXPECT_NEAR(form.picSource->PictureAt(at).x(), before.x(), 1);
  EXPECT_NEAR(form.picSource->PictureAt(at).y(), before.y(), 1);
}

TEST_P(Form1LargePictureTest, ThePointerNearAnEdgeScrollsTheViewAndTheFrameGoesAlong) {
  OpenLarge();
  form.Command3->click();
  const QPoint nearRight(form.picSource->Viewport().right() - 2, 100);
  MoveTo(nearRight);
  QElapsedTimer waited;
  waited.start();
  while (form.picSource->ScrollPosition().x() < 200 && waited.elapsed() < 5000) platform::DoEvents();
  ClickAt(nearRight);
  const int x = nearRight.x() + form.picSource->ScrollPosition().x();
  ASSERT_GE(x, nearRight.x() + 200);
  ExpectResultIsBlockAt(x - 64, 100 - 64);
}

TEST_P(Form1LargePictureTest, AFrameSteeredByTheKeysTakesTheViewAlong) {
  OpenLarge();
  form.Command3->click();
  MoveTo(QPoint(100, 100));
  for (int i = 0; i < 80; ++i) {
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&form, &right);
  }
  ClickAt(QPoint(-1, -1));
  form.picSource_Click();
  const int left = 100 + 80 * 16 - 64;
  ExpectResultIsBlockAt(left, 100 - 64);
  const int shownLeft = left - form.picSource->ScrollPosition().x();
  EXPECT_GE(shownLeft, 0);
  EXPECT_LE(shownLeft + 128, form.picSource->Viewport().width()) << "the whole block is in the view";
}

// After a load the result is blank at the picture's size: keeping it for a
// cancel must not make hundreds of megabytes of background.
TEST_P(Form1LargePictureTest, ACancelledSelectionAfterALoadLeavesTheResultBlank) {
  OpenLarge();
  ASSERT_TRUE(form.picDest->Blank());
  form.Command3->click();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&form, &escape);
  EXPECT_FALSE(form.bSelecting());
  EXPECT_TRUE(form.picDest->Blank());
  EXPECT_FLOAT_EQ(form.picDest->ScaleWidth(), 4000);
}

INSTANTIATE_TEST_SUITE_P(Screens, Form1LargePictureTest,
                         ::testing::Values(QSize(1024, 768), QSize(1366, 768)), Name);

TEST_F(Form1Fixture, ThePictureIsNamedAndMeasuredAsSoonAsItIsDecodedUnderABusyCursor) {
  Open(PatternFile(30, 20, "first.bmp"));
  std::vector<std::string> seen;
  bool busy = false;
  // Runs at the load's first yield, right after the decoding.
  QMetaObject::invokeMethod(
      &form,
      [&] {
        seen = {form.lblFile->text().toStdString(), form.lblOrigWidth->text().toStdString(),
                form.lblOrigHeight->text().toStdString()};
        busy =
            QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
      },
      Qt::QueuedConnection);
  Open(PatternFile(40, 10, "second.bmp"));
  EXPECT_EQ(seen, (std::vector<std::string>{"second.bmp", "40", "10"}));
  EXPECT_TRUE(busy);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the cursor comes back after the load";
}

namespace {

class PaintedArea : public QObject {
 public:
  long area = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      for (const QRect& r : static_cast<QPaintEvent*>(event)->region())
        area += static_cast<long>(r.width()) * r.height();
    }
    return false;
  }
};

}  // namespace

// At a corner of the picture every frame touches its edge; each must be wiped
// once, not again at every later move.
TEST_F(Form1Fixture, AMoveAlongThePicturesEdgeRepaintsOnlyTheFramesItChanges) {
  form.show();
  Open(PatternFile(300, 200));
  form.Command3->click();
  for (int x = 150; x <= 250; x += 5) {
    form.picSource_MouseMove(0, 0, static_cast<float>(x), 199);
    platform::DoEvents();
  }
  PaintedArea painted;
  form.picSource->installEventFilter(&painted);
  form.picSource_MouseMove(0, 0, 100, 199);
  platform::DoEvents();
  const long twoFrames = 2 * (2 * 130 + 2 * 130);
  EXPECT_GT(painted.area, 0);
  EXPECT_LE(painted.area, twoFrames);
  form.picSource_Click();
}
