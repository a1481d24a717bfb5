#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QStyle>
#include <vector>

#include "app/Form1.h"
#include "app/WindowTestSupport.h"
#include "platform/ui/Twips.h"
#include "support/pure/MessageRecorder.h"

using platform::Twips;

namespace {

struct Placement {
  const char* name;
  QWidget* control;
  QWidget* container;
  float left, top, width, height;
};

std::vector<Placement> Layout(Form1& f) {
  return {
      {"Frame2", f.Frame2, f.ClientArea(), 120, 120, 2775, 1935},
      {"lblFile", f.lblFile, f.Frame2, 240, 300, 2235, 195},
      {"Command1", f.Command1, f.Frame2, 240, 600, 1035, 315},
      {"cmdReload", f.cmdReload, f.Frame2, 1440, 600, 1035, 315},
      {"Label8", f.Label8, f.Frame2, 240, 1080, 1875, 195},
      {"Label10", f.Label10, f.Frame2, 240, 1380, 855, 195},
      {"lblOrigWidth", f.lblOrigWidth, f.Frame2, 1560, 1380, 855, 195},
      {"Label11", f.Label11, f.Frame2, 240, 1620, 855, 195},
      {"lblOrigHeight", f.lblOrigHeight, f.Frame2, 1560, 1620, 855, 195},
      {"Frame5", f.Frame5, f.ClientArea(), 120, 2160, 2775, 1095},
      {"Option1", f.Option1, f.Frame5, 240, 360, 1095, 255},
      {"Option2", f.Option2, f.Frame5, 240, 600, 1095, 255},
      {"Frame6", f.Frame6, f.ClientArea(), 120, 3360, 2775, 975},
      {"Command3", f.Command3, f.Frame6, 480, 360, 1755, 375},
      {"Frame4", f.Frame4, f.ClientArea(), 120, 4440, 2775, 1455},
      {"Command6", f.Command6, f.Frame4, 240, 360, 1035, 375},
      {"Command5", f.Command5, f.Frame4, 1560, 360, 1035, 375},
      {"Command7", f.Command7, f.Frame4, 240, 840, 1035, 375},
      {"Command8", f.Command8, f.Frame4, 1560, 840, 1035, 375},
      {"picSource", f.picSource, f.ClientArea(), 3000, 120, 1995, 555},
      {"picDest", f.picDest, f.ClientArea(), 5040, 120, 1995, 555},
      {"picBuffer", f.picBuffer, f.ClientArea(), 720, 1080, 555, 675},
      {"picDestBuffer", f.picDestBuffer, f.ClientArea(), 1440, 1200, 735, 555},
      {"cmdSave", f.cmdSave, f.ClientArea(), 1800, 2640, 915, 375},
      {"Frame3", f.Frame3, f.ClientArea(), 360, 2520, 615, 555},
      {"Label1", f.Label1, f.Frame3, 240, 420, 795, 195},
      {"txtWidth", f.txtWidth, f.Frame3, 1740, 360, 675, 285},
      {"Label2", f.Label2, f.Frame3, 240, 780, 915, 195},
      {"txtHeight", f.txtHeight, f.Frame3, 1740, 720, 675, 285},
      {"chkKeepProportion", f.chkKeepProportion, f.Frame3, 200, 1080, 2220, 255},
      {"Command2", f.Command2, f.Frame3, 1020, 1440, 1395, 375},
      {"Label12", f.Label12, f.Frame3, 180, 2220, 1335, 195},
      {"txtSelWidth", f.txtSelWidth, f.Frame3, 1740, 2160, 675, 285},
      {"Label13", f.Label13, f.Frame3, 180, 2520, 1335, 195},
      {"txtSelHeight", f.txtSelHeight, f.Frame3, 1740, 2520, 675, 285},
      {"Command4", f.Command4, f.Frame3, 180, 2880, 2235, 375},
      {"Label14", f.Label14, f.Frame3, 180, 4200, 1395, 195},
      {"txtQuality", f.txtQuality, f.Frame3, 1920, 4140, 495, 315},
      {"Label15", f.Label15, f.Frame3, 180, 4620, 1395, 195},
      {"txtMaxSize", f.txtMaxSize, f.Frame3, 1920, 4560, 495, 315},
      {"Frame1", f.Frame1, f.ClientArea(), 1320, 2640, 615, 435},
      {"Label3", f.Label3, f.Frame1, 240, 300, 1515, 195},
      {"Label4", f.Label4, f.Frame1, 240, 660, 435, 195},
      {"txtPhoneResX", f.txtPhoneResX, f.Frame1, 780, 600, 495, 285},
      {"Label5", f.Label5, f.Frame1, 1380, 660, 495, 195},
      {"txtPhoneResY", f.txtPhoneResY, f.Frame1, 1920, 600, 495, 285},
  };
}

QString Shown(const QString& caption) { return QString(caption).remove('&'); }

bool IsInside(const QWidget* widget, const QWidget* ancestor) {
  for (; widget; widget = widget->parentWidget()) {
    if (widget == ancestor) return true;
  }
  return false;
}

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { EmptyStore(); }
  void TearDown() override { EmptyStore(); }

  MessageRecorder recorder;
  Form1 form;
};

}  // namespace

TEST_F(LayoutTest, TheWindowStartsWithItsCaptionAndAClientAreaOf7320By6015Twips) {
  EXPECT_EQ(form.windowTitle(), "Quarvel");
  EXPECT_EQ(form.ClientArea()->size(), QSize(488, 401)) << "under the menu bar";
  EXPECT_EQ(form.ScaleMode(), gdi::vbTwips);
  EXPECT_EQ(form.WindowState(), 0);
  form.SetWidth(11860);
  EXPECT_FLOAT_EQ(form.Width(), 11860) << "outer width in twips, read back as set";
}

TEST_F(LayoutTest, EveryControlSitsInItsContainerAtItsPlaceInTwips) {
  for (const Placement& p : Layout(form)) {
    SCOPED_TRACE(p.name);
    ASSERT_NE(p.control, nullptr);
    EXPECT_EQ(p.control->parentWidget(), p.container);
    EXPECT_FLOAT_EQ(Twips::Left(*p.control), p.left);
    EXPECT_FLOAT_EQ(Twips::Top(*p.control), p.top);
    EXPECT_FLOAT_EQ(Twips::Width(*p.control), p.width);
    EXPECT_FLOAT_EQ(Twips::Height(*p.control), p.height);
    QRect pixels(Twips::ToPixelsX(p.left), Twips::ToPixelsY(p.top), Twips::ToPixelsX(p.width),
                 Twips::ToPixelsY(p.height));
    EXPECT_EQ(p.control->geometry(), pixels);
  }
}

TEST_F(LayoutTest, TheEtchedLinesOfImageManipulationLieOnePixelApart) {
  struct Line {
    platform::LineShape* shape;
    gdi::COLORREF colour;
    QRect pixels;
  };
  const Line lines[] = {{form.Line1, gdi::RGB(128, 128, 128), QRect(0, 132, 176, 1)},
                        {form.Line2, gdi::RGB(255, 255, 255), QRect(1, 133, 175, 1)},
                        {form.Line3, gdi::RGB(128, 128, 128), QRect(0, 264, 175, 1)},
                        {form.Line4, gdi::RGB(255, 255, 255), QRect(1, 265, 174, 1)}};
  for (const Line& line : lines) {
    EXPECT_EQ(line.shape->parentWidget(), form.Frame3);
    EXPECT_EQ(line.shape->Colour(), line.colour);
    EXPECT_EQ(line.shape->geometry(), line.pixels);
  }
}

TEST_F(LayoutTest, Frame5CoversTheJpegSaveButtonAndTheTwoHiddenFramesCompletely) {
  const std::vector<QWidget*> covered{form.cmdSave, form.Frame3, form.Frame1};
  for (QWidget* widget : covered) {
    QRect area(widget->mapTo(form.ClientArea(), QPoint(0, 0)), widget->size());
    EXPECT_TRUE(form.Frame5->geometry().contains(area)) << "lies wholly inside Frame5";
    for (QPoint point : {area.topLeft(), area.bottomRight(), area.center()}) {
      EXPECT_TRUE(IsInside(form.ClientArea()->childAt(point), form.Frame5))
          << "covered at " << point.x() << "," << point.y();
    }
    EXPECT_TRUE(widget->isVisibleTo(&form)) << "covered, not hidden";
  }
  // Not a pixel of them shows: the window looks the same without them.
  QImage shown = form.grab().toImage();
  for (QWidget* widget : covered) widget->hide();
  QImage without = form.grab().toImage();
  for (QWidget* widget : covered) widget->show();
  EXPECT_TRUE(shown == without);
}

TEST_F(LayoutTest, ControlsStartInTheirInitialStates) {
  EXPECT_FALSE(form.cmdReload->isEnabled());
  EXPECT_FALSE(form.cmdSave->isEnabled());
  EXPECT_FALSE(form.Frame3->isEnabled());
  EXPECT_TRUE(form.Command1->isEnabled());
  EXPECT_TRUE(form.Command6->isEnabled());
  EXPECT_TRUE(form.Frame1->isEnabled());
  EXPECT_TRUE(form.picBuffer->isHidden());
  EXPECT_TRUE(form.picDestBuffer->isHidden());
  EXPECT_FALSE(form.picSource->isHidden());
  EXPECT_EQ(form.lblFile->text(), "[file name]");
  EXPECT_EQ(form.lblOrigWidth->text(), "-");
  EXPECT_EQ(form.lblOrigHeight->text(), "-");
  EXPECT_TRUE(form.lblOrigWidth->alignment() & Qt::AlignRight);
  EXPECT_TRUE(form.lblOrigHeight->alignment() & Qt::AlignRight);
  EXPECT_EQ(form.txtQuality->Text(), "90");
  EXPECT_EQ(form.txtWidth->Text(), "");
  EXPECT_EQ(form.cmdSave->text(), "");
  EXPECT_TRUE(form.picSource->Picture() == nullptr || form.picSource->Picture()->Empty());
  for (platform::PictureBox* surface : {form.picSource, form.picDest, form.picBuffer, form.picDestBuffer}) {
    EXPECT_EQ(surface->ScaleMode(), gdi::vbPixels);
    EXPECT_EQ(&surface->Parent(), static_cast<gdi::ScaleContainer*>(&form));
  }
  EXPECT_TRUE(form.picSource->AutoSize());
  EXPECT_TRUE(form.picBuffer->AutoSize());
  EXPECT_FALSE(form.picDest->AutoSize());
  EXPECT_EQ(form.sFileName, "");
  EXPECT_EQ(form.cDIB, nullptr);
}

TEST_F(LayoutTest, AmpersandsBecomeAccessKeys) {
  const std::pair<QAbstractButton*, QKeySequence> keys[] = {
      {form.Command1, QKeySequence(Qt::ALT | Qt::Key_O)},
      {form.cmdReload, QKeySequence(Qt::ALT | Qt::Key_R)},
      {form.Command3, QKeySequence(Qt::ALT | Qt::Key_M)},
      {form.Command6, QKeySequence(Qt::ALT | Qt::Key_S)},
      {form.Command5, QKeySequence(Qt::ALT | Qt::Key_E)},
      {form.Command7, QKeySequence(Qt::ALT | Qt::Key_H)},
      {form.Command8, QKeySequence(Qt::ALT | Qt::Key_A)},
      {form.chkKeepProportion, QKeySequence(Qt::ALT | Qt::Key_K)},
  };
  for (const auto& [button, key] : keys) {
    SCOPED_TRACE(button->text().toStdString());
    EXPECT_EQ(button->shortcut(), key);
  }
}

TEST_F(LayoutTest, EveryCaptionFitsItsControl) {
  QFontMetrics metrics(form.font());
  const int buttonMargin = 2 * form.style()->pixelMetric(QStyle::PM_ButtonMargin);
  for (auto* button : form.findChildren<QPushButton*>()) {
    SCOPED_TRACE(button->text().toStdString());
    EXPECT_LE(metrics.horizontalAdvance(Shown(button->text())) + buttonMargin, button->width());
  }
  const int radioIndicator = form.style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                             form.style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
  for (QAbstractButton* option : {form.Option1, form.Option2}) {
    SCOPED_TRACE(option->text().toStdString());
    EXPECT_LE(radioIndicator + metrics.horizontalAdvance(option->text()), option->width());
  }
  const int checkIndicator = form.style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                             form.style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
  EXPECT_LE(checkIndicator + metrics.horizontalAdvance(Shown(form.chkKeepProportion->text())),
            form.chkKeepProportion->width());
  for (auto* label : form.findChildren<QLabel*>()) {
    SCOPED_TRACE(label->text().toStdString());
    EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width());
    EXPECT_LE(metrics.height(), label->height());
  }
  for (auto* frame : {form.Frame2, form.Frame5, form.Frame6, form.Frame4}) {
    SCOPED_TRACE(frame->title().toStdString());
    EXPECT_LE(metrics.horizontalAdvance(frame->title()) + 16, frame->width());
  }
}
