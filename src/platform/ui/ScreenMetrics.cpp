#include "platform/ui/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/base/Screen.h"

namespace platform {

void ScreenMetrics::Apply() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  Screen::SetTwipsPerPixel(TwipsPerPixelFor(screen->logicalDotsPerInchX()),
                           TwipsPerPixelFor(screen->logicalDotsPerInchY()));
}

float ScreenMetrics::TwipsPerPixelFor(double logicalDpi) {
  constexpr double kTwipsPerInch = 1440.0;
  return static_cast<float>(kTwipsPerInch / (logicalDpi > 0 ? logicalDpi : 96.0));
}

}  // namespace platform
