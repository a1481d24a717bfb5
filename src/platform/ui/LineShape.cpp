#include "platform/ui/LineShape.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "platform/ui/Twips.h"

namespace platform {

LineShape::LineShape(QWidget* parent, gdi::COLORREF colour, float x1, float y1, float x2, float y2)
    : QWidget(parent), colour_(colour) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  int left = Twips::ToPixelsX(std::min(x1, x2));
  int top = Twips::ToPixelsY(std::min(y1, y2));
  int width = std::max(1, std::abs(Twips::ToPixelsX(x2) - Twips::ToPixelsX(x1)));
  int height = std::max(1, std::abs(Twips::ToPixelsY(y2) - Twips::ToPixelsY(y1)));
  setGeometry(left, top, width, height);
}

void LineShape::paintEvent(QPaintEvent*) {
  QPainter(this).fillRect(rect(), QColor(gdi::RedOf(colour_), gdi::GreenOf(colour_), gdi::BlueOf(colour_)));
}

}  // namespace platform
