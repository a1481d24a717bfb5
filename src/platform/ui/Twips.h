#pragma once

#include <cstdint>

class QWidget;

namespace platform {

// Geometry of widgets in twips, converted with the screen's twips per pixel.
// A value read back is the value last set as long as the widget still has
// the pixel size that value gave, so sums of twips stay exact.
class Twips {
 public:
  static int ToPixelsX(float twips);
  static int ToPixelsY(float twips);

  // A child's place relative to its container.
  static float Left(const QWidget& widget);
  static float Top(const QWidget& widget);
  static float Width(const QWidget& widget);
  static float Height(const QWidget& widget);
  static void Place(QWidget& widget, float left, float top, float width, float height);
  static void SetLeft(QWidget& widget, float left);
  static void SetTop(QWidget& widget, float top);
  static void SetWidth(QWidget& widget, float width);
  static void SetHeight(QWidget& widget, float height);

  // A window's outer size, frame included.
  static float OuterWidth(const QWidget& window);
  static float OuterHeight(const QWidget& window);
  static void SetOuterWidth(QWidget& window, float width);
  static void SetOuterHeight(QWidget& window, float height);
  static void SetClientSize(QWidget& window, float width, float height);

  // 0 normal, 1 minimised, 2 maximised.
  static int16_t WindowState(const QWidget& window);
};

}  // namespace platform
