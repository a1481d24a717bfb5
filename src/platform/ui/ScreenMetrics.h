#pragma once

namespace platform {

// Sets platform::Screen's twips per pixel from the primary screen's logical dpi.
class ScreenMetrics {
 public:
  static void Apply();
  // 1440 twips make an inch; without a usable dpi the screen counts as 96 dpi.
  static float TwipsPerPixelFor(double logicalDpi);
};

}  // namespace platform
