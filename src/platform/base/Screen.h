#pragma once

namespace platform {

// Twips per pixel of the screen (15 at 96 dpi). The window layer sets them
// from the screen's logical dpi at start; plain code only reads them.
class Screen {
 public:
  static float TwipsPerPixelX();
  static float TwipsPerPixelY();
  static void SetTwipsPerPixel(float x, float y);
};

}  // namespace platform
