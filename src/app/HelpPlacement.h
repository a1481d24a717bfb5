#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// Where the help window goes so it leaves the main window's controls in
// sight: to its right, else to its left, its top level with the main
// window's and kept on the screen. When neither side has the room, at the
// screen's right edge: over the picture, away from the four frames on the
// left. None when the screen is too low for it.
class HelpPlacement {
 public:
  static std::optional<QPoint> Beside(const QRect& mainFrame, QSize helpFrame, const QRect& available);
};
