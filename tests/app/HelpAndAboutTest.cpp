#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTimer>

#include "app/Form1.h"
#include "app/Form2.h"
#include "app/WindowTestSupport.h"
#include "support/pure/MessageRecorder.h"

namespace {

int OpenHelpWindows() {
  int open = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (qobject_cast<Form2*>(w) && w->isVisible()) ++open;
  }
  return open;
}

void ClickOn(QWidget& widget) {
  QPointF at(widget.width() / 2.0, widget.height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &press);
  QCoreApplication::sendEvent(&widget, &release);
}

class HelpAndAboutTest : public ::testing::Test {
 protected:
  void SetUp() override { EmptyStore(); }
  void TearDown() override {
    EmptyStore();
    DeleteClosedWindows();
  }

  MessageRecorder recorder;
};

}  // namespace

TEST_F(HelpAndAboutTest, HelpTwiceShowsOneWindowAndAClickOnItsPictureClosesAndDestroysIt) {
  Form1 form;
  form.show();
  form.Command7->click();
  QPointer<Form2> help = form.HelpWindow();
  ASSERT_TRUE(help);
  form.Command7->click();
  EXPECT_EQ(form.HelpWindow(), help.data());
  EXPECT_EQ(OpenHelpWindows(), 1);
  EXPECT_EQ(help->parentWidget(), nullptr) << "the help window has no owner";
  EXPECT_FALSE(help->isModal());
  EXPECT_TRUE(form.isEnabled());

  ClickOn(*help->Image1);
  EXPECT_EQ(OpenHelpWindows(), 0);
  EXPECT_EQ(form.HelpWindow(), nullptr);
  DeleteClosedWindows();
  EXPECT_TRUE(help.isNull());

  form.Command7->click();
  EXPECT_EQ(OpenHelpWindows(), 1);
  EXPECT_NE(form.HelpWindow(), nullptr);
}

TEST_F(HelpAndAboutTest, HelpRightAfterAClickOnThePictureOpensAFreshWindow) {
  Form1 form;
  form.Command7->click();
  QPointer<Form2> first = form.HelpWindow();
  ClickOn(*first->Image1);
  form.Command7->click();  // before the closed window is gone
  DeleteClosedWindows();
  EXPECT_TRUE(first.isNull());
  ASSERT_NE(form.HelpWindow(), nullptr);
  EXPECT_TRUE(form.HelpWindow()->isVisible());
}

TEST_F(HelpAndAboutTest, TheHelpWindowsCloseBoxClosesIt) {
  Form1 form;
  form.Command7->click();
  QPointer<Form2> help = form.HelpWindow();
  help->close();
  DeleteClosedWindows();
  EXPECT_TRUE(help.isNull());
  EXPECT_EQ(form.HelpWindow(), nullptr);
}

TEST_F(HelpAndAboutTest, TheHelpWindowShowsTheHelpPictureUnderTheSameCaptionAndIcon) {
  Form1 form;
  form.Command7->click();
  Form2* help = form.HelpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->windowTitle(), form.windowTitle());
  EXPECT_EQ(help->size(), QSize(636, 455)) << "client area 9540 x 6825 twips";
  EXPECT_EQ(help->Image1->geometry(), QRect(0, 0, 638, 455)) << "9570 x 6825 twips at (0, 0)";
  EXPECT_EQ(help->Image1->Picture().size(), QSize(638, 455));
  EXPECT_EQ(help->windowIcon().pixmap(32, 32).toImage(), form.windowIcon().pixmap(32, 32).toImage());
}

TEST_F(HelpAndAboutTest, TheIconIsA32By32PictureOfAtMost16Colours) {
  Form1 form;
  QImage icon = form.windowIcon().pixmap(32, 32).toImage();
  ASSERT_EQ(icon.size(), QSize(32, 32));
  QSet<QRgb> colours;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) colours.insert(icon.pixel(x, y));
  }
  EXPECT_LE(colours.size(), 16);
  EXPECT_GT(colours.size(), 2);
}

TEST_F(HelpAndAboutTest, AboutShowsTwoLinesTitledQuarvelTheSecondIndentedBySixBlanks) {
  Form1 form;
  form.Command8->click();
  ASSERT_EQ(recorder.Messages().size(), 1u);
  const auto& about = recorder.Messages()[0];
  EXPECT_EQ(about.title, "Quarvel");
  size_t newline = about.text.find('\n');
  ASSERT_NE(newline, std::string::npos);
  EXPECT_EQ(about.text.find('\n', newline + 1), std::string::npos) << "two lines only";
  std::string second = about.text.substr(newline + 1);
  EXPECT_EQ(second.substr(0, 6), "      ");
  EXPECT_NE(second.at(6), ' ');
  EXPECT_NE(about.text.at(0), ' ');
}

TEST_F(HelpAndAboutTest, TheProgramRunsUntilNoWindowIsLeft) {
  Form1 form;
  form.show();
  bool runningAfterExit = false, timedOut = false;
  QTimer::singleShot(0, [&] {
    form.Command7->click();
    form.Command5->click();
  });
  QTimer::singleShot(100, [&] {
    runningAfterExit = true;
    if (Form2* help = form.HelpWindow()) help->close();
  });
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    timedOut = true;
    QCoreApplication::exit(1);
  });
  guard.start(10000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(timedOut) << "closing the last window must end the program";
  EXPECT_TRUE(runningAfterExit) << "closing the main window must leave the help window running";
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(Stored("PhoneResX"), "128") << "Exit stored the settings";
}
