#include <QMouseEvent>
#include <QScrollBar>
#include <cmath>
#include <vector>

#include "app/Form1Fixture.h"
#include "app/TargaFile.h"
#include "platform/ui/ScreenMetrics.h"

namespace {

// A screen of the given size; the test program's own large one comes back after the test.
class PretendScreen {
 public:
  explicit PretendScreen(QSize size) { platform::ScreenMetrics::PretendAvailableArea(QRect(QPoint(0, 0), size)); }
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
        ASSERT_EQ(PictureFiles::PixelOf(dest, x, y), PictureFiles::PatternPixel(left + x, top + y)) << x << "," << y;
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
                                 form.Command5, form.Command7,  form.Command8,  form.picSource, form.zoomBar};
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

INSTANTIATE_TEST_SUITE_P(Screens, Form1LargePictureTest, ::testing::Values(QSize(1024, 768), QSize(1366, 768)),
                         Name);
