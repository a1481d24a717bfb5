#include "platform/ui/Twips.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/base/Screen.h"
#include "platform/ui/ScreenMetrics.h"

using platform::Twips;

namespace {

// Runs a test at another screen resolution and puts the default back.
class ScreenAt {
 public:
  explicit ScreenAt(float twipsPerPixel) { platform::Screen::SetTwipsPerPixel(twipsPerPixel, twipsPerPixel); }
  ~ScreenAt() { platform::Screen::SetTwipsPerPixel(15, 15); }
};

}  // namespace

TEST(ScreenMetrics, TwipsPerPixelFollowTheLogicalDpi) {
  EXPECT_FLOAT_EQ(platform::ScreenMetrics::TwipsPerPixelFor(96), 15);
  EXPECT_FLOAT_EQ(platform::ScreenMetrics::TwipsPerPixelFor(120), 12);
  EXPECT_FLOAT_EQ(platform::ScreenMetrics::TwipsPerPixelFor(144), 10);
  EXPECT_FLOAT_EQ(platform::ScreenMetrics::TwipsPerPixelFor(0), 15);
}

TEST(Twips, ChildrenArePlacedRelativeToTheirContainer) {
  QWidget window;
  QWidget child(&window);
  Twips::Place(child, 120, 2160, 2775, 1095);
  EXPECT_EQ(child.geometry(), QRect(8, 144, 185, 73));
  EXPECT_FLOAT_EQ(Twips::Left(child), 120);
  EXPECT_FLOAT_EQ(Twips::Top(child), 2160);
  EXPECT_FLOAT_EQ(Twips::Width(child), 2775);
  EXPECT_FLOAT_EQ(Twips::Height(child), 1095);
}

TEST(Twips, AValueBetweenPixelsReadsBackAsSetUntilTheWidgetIsSizedOtherwise) {
  QWidget widget;
  Twips::Place(widget, 10, 1990, 11860, 1);
  EXPECT_EQ(widget.geometry(), QRect(1, 133, 791, 0));
  EXPECT_FLOAT_EQ(Twips::Left(widget), 10);
  EXPECT_FLOAT_EQ(Twips::Width(widget), 11860);
  widget.resize(800, 10);
  EXPECT_FLOAT_EQ(Twips::Width(widget), 12000);
  Twips::SetWidth(widget, 7215);
  EXPECT_EQ(widget.width(), 481);
  EXPECT_FLOAT_EQ(Twips::Height(widget), 150) << "the other values stay as they were";
}

TEST(Twips, ConversionsFollowTheScreen) {
  ScreenAt dpi120(12);
  QWidget widget;
  Twips::Place(widget, 1200, 600, 2400, 120);
  EXPECT_EQ(widget.geometry(), QRect(100, 50, 200, 10));
  EXPECT_EQ(Twips::ToPixelsX(7320), 610);
}

TEST(Twips, AWindowsOuterSizeIsSetAndReadInTwips) {
  QWidget window;
  Twips::SetClientSize(window, 7320, 6015);
  EXPECT_EQ(window.size(), QSize(488, 401));
  Twips::SetOuterWidth(window, 7210);
  Twips::SetOuterHeight(window, 3900);
  EXPECT_EQ(window.frameGeometry().size(), QSize(481, 260));
  EXPECT_FLOAT_EQ(Twips::OuterWidth(window), 7210);
  EXPECT_FLOAT_EQ(Twips::OuterHeight(window), 3900);
}

TEST(Twips, WindowStateTellsAMaximisedWindow) {
  QWidget window;
  window.show();
  EXPECT_EQ(Twips::WindowState(window), 0);
  window.setWindowState(Qt::WindowMaximized);
  EXPECT_EQ(Twips::WindowState(window), 2);
  window.setWindowState(Qt::WindowMinimized);
  EXPECT_EQ(Twips::WindowState(window), 1);
}
