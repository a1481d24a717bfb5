#pragma once

#include <QRect>
#include <optional>

class QWidget;

namespace platform {

// Sets platform::Screen's twips per pixel from the primary screen's logical dpi,
// and tells the part of the screen a window may take.
class ScreenMetrics {
 public:
  static void Apply();
  // 1440 twips make an inch; without a usable dpi the screen counts as 96 dpi.
  static float TwipsPerPixelFor(double logicalDpi);

  // The available area of the screen the window is on, in pixels, or the one pretended.
  static QRect AvailableArea(const QWidget& window);
  // Tests pretend a screen of their own; none gives the real one back.
  static void PretendAvailableArea(std::optional<QRect> area);
};

}  // namespace platform
