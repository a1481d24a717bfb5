#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>

#include "formats/qt/QtPictureReader.h"
#include "platform/ui/ScreenMetrics.h"
#include "support/pure/TempDir.h"

// Widget tests run headless, and the settings store points into a folder of
// the test run's own, never at the user's. The screen is larger than any
// window the tests make, unless a test pretends a smaller one.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  TempDir home;
  QStandardPaths::setTestModeEnabled(true);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                     QString::fromStdString(home.Path().string()));
  QApplication app(argc, argv);
  platform::ScreenMetrics::PretendAvailableArea(QRect(0, 0, 16384, 16384));
  formats::QtPictureReader::Install();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
