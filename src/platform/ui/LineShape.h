#pragma once

#include <QWidget>

#include "platform/gdi/GdiTypes.h"

namespace platform {

// A one-pixel horizontal or vertical line between two points in twips,
// relative to its container; the end point is not drawn.
class LineShape final : public QWidget {
  Q_OBJECT

 public:
  LineShape(QWidget* parent, gdi::COLORREF colour, float x1, float y1, float x2, float y2);

  gdi::COLORREF Colour() const { return colour_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  gdi::COLORREF colour_;
};

}  // namespace platform
