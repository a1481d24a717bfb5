#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/base/MessageBox.h"
#include "platform/gdi/Gdi.h"
#include "platform/ui/Events.h"
#include "platform/ui/QtClipboard.h"
#include "platform/ui/QtMessageBox.h"
#include "support/qt/PictureFiles.h"

namespace {

struct ShownBox {
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  bool modal = false;
  int defaultButton = 0;
};

// Answers the next modal message box with `answer` after noting what it showed.
void AnswerNextBox(ShownBox& seen, QMessageBox::StandardButton answer = QMessageBox::Ok) {
  QTimer::singleShot(0, [&seen, answer] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    seen = {box->text(),    box->windowTitle(),
            box->icon(),    static_cast<int>(box->buttons().size()),
            box->isModal(), box->defaultButton() ? box->standardButton(box->defaultButton()) : 0};
    box->button(answer)->click();
  });
}

}  // namespace

TEST(QtMessageBox, ShowsTheTextTitleAndIconWithOneOkButton) {
  platform::MessageBox::Presenter previous = platform::MessageBox::Install(&platform::QtMessageBox::Present);
  ShownBox seen;
  AnswerNextBox(seen);
  int answer =
      platform::MessageBox::Show("Failed to save\n      twice", platform::MsgStyle::Exclamation, "Quarvel");
  platform::MessageBox::Install(std::move(previous));
  EXPECT_EQ(answer, platform::vbOK);
  EXPECT_EQ(seen.text, "Failed to save\n      twice");
  EXPECT_EQ(seen.title, "Quarvel");
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  EXPECT_EQ(seen.buttons, 1);
  EXPECT_TRUE(seen.modal);
}

TEST(QtMessageBox, AYesNoQuestionHasNoAsItsDefaultWhenAskedAndReportsTheAnswer) {
  platform::MessageBox::Presenter previous = platform::MessageBox::Install(&platform::QtMessageBox::Present);
  const int32_t style = platform::MsgStyle::YesNo | platform::MsgStyle::Exclamation;
  const struct {
    int32_t extra;
    QMessageBox::StandardButton click;
    int32_t answer;
    int defaultButton;
  } cases[] = {
      {platform::MsgStyle::DefaultButton2, QMessageBox::Yes, platform::vbYes, QMessageBox::No},
      {platform::MsgStyle::DefaultButton2, QMessageBox::No, platform::vbNo, QMessageBox::No},
      {0, QMessageBox::No, platform::vbNo, QMessageBox::Yes},
  };
  for (const auto& c : cases) {
    ShownBox seen;
    AnswerNextBox(seen, c.click);
    EXPECT_EQ(platform::MessageBox::Show("Replace?", style | c.extra, "Quarvel"), c.answer);
    EXPECT_EQ(seen.buttons, 2);
    EXPECT_EQ(seen.defaultButton, c.defaultButton);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
  }
  platform::MessageBox::Install(std::move(previous));
}

TEST(QtClipboard, ABitmapHandedToTheClipboardArrivesTopDownWithItsColours) {
  platform::QtClipboard::Install();
  auto bitmap = gdi::Bitmap::Create(3, 2, true);
  uint8_t* top = bitmap->MutableRow(0);
  uint8_t* bottom = bitmap->MutableRow(1);
  top[0] = 255;     // blue at (0, 0)
  bottom[8] = 200;  // red at (2, 1)
  ASSERT_TRUE(gdi::OpenClipboard(nullptr));
  gdi::EmptyClipboard();
  EXPECT_NE(gdi::SetClipboardData(gdi::CF_BITMAP, bitmap.release()), nullptr);
  gdi::CloseClipboard();
  gdi::SetClipboardSink(nullptr);
  QImage image = QGuiApplication::clipboard()->image();
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(2, 1), qRgb(200, 0, 0));
  EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 0));
}

TEST(DoEvents, RunsWhatIsPendingAndReturns) {
  int ran = 0;
  QTimer::singleShot(0, [&] { ++ran; });
  platform::DoEvents();
  EXPECT_EQ(ran, 1);
  platform::DoEvents();
  EXPECT_EQ(ran, 1);
}
