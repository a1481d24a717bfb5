#include "platform/ui/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/base/Screen.h"

namespace platform {
namespace {
std::optional<QRect> pretended;
}  // namespace

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

QRect ScreenMetrics::AvailableArea(const QWidget& window) {
  if (pretended) return *pretended;
  QScreen* screen = window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

void ScreenMetrics::PretendAvailableArea(std::optional<QRect> area) { pretended = area; }

}  // namespace platform
