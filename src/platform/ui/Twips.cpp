#include "platform/ui/Twips.h"

#include <QPointF>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/base/Screen.h"

namespace platform {
namespace {

constexpr const char* kLeft = "quarvelTwipsLeft";
constexpr const char* kTop = "quarvelTwipsTop";
constexpr const char* kWidth = "quarvelTwipsWidth";
constexpr const char* kHeight = "quarvelTwipsHeight";
constexpr const char* kOuterWidth = "quarvelTwipsOuterWidth";
constexpr const char* kOuterHeight = "quarvelTwipsOuterHeight";

int ToPixels(float twips, float twipsPerPixel) {
  return static_cast<int>(std::lround(twips / twipsPerPixel));
}

// The twips last set for this pixel value, or the pixels converted.
float Recall(const QWidget& widget, const char* name, int pixels, float twipsPerPixel) {
  QVariant stored = widget.property(name);
  if (stored.isValid()) {
    QPointF remembered = stored.toPointF();
    if (remembered.y() == pixels) return static_cast<float>(remembered.x());
  }
  return static_cast<float>(pixels) * twipsPerPixel;
}

void Remember(QWidget& widget, const char* name, float twips, int pixels) {
  widget.setProperty(name, QPointF(twips, pixels));
}

int FrameExtraWidth(const QWidget& window) { return window.frameGeometry().width() - window.width(); }
int FrameExtraHeight(const QWidget& window) { return window.frameGeometry().height() - window.height(); }

}  // namespace

int Twips::ToPixelsX(float twips) { return ToPixels(twips, Screen::TwipsPerPixelX()); }
int Twips::ToPixelsY(float twips) { return ToPixels(twips, Screen::TwipsPerPixelY()); }

float Twips::Left(const QWidget& widget) {
  return Recall(widget, kLeft, widget.x(), Screen::TwipsPerPixelX());
}
float Twips::Top(const QWidget& widget) { return Recall(widget, kTop, widget.y(), Screen::TwipsPerPixelY()); }
float Twips::Width(const QWidget& widget) {
  return Recall(widget, kWidth, widget.width(), Screen::TwipsPerPixelX());
}
float Twips::Height(const QWidget& widget) {
  return Recall(widget, kHeight, widget.height(), Screen::TwipsPerPixelY());
}

void Twips::Place(QWidget& widget, float left, float top, float width, float height) {
  QRect pixels(ToPixelsX(left), ToPixelsY(top), std::max(0, ToPixelsX(width)),
               std::max(0, ToPixelsY(height)));
  widget.setGeometry(pixels);
  Remember(widget, kLeft, left, pixels.x());
  Remember(widget, kTop, top, pixels.y());
  Remember(widget, kWidth, width, pixels.width());
  Remember(widget, kHeight, height, pixels.height());
}

void Twips::SetLeft(QWidget& widget, float left) {
  Place(widget, left, Top(widget), Width(widget), Height(widget));
}
void Twips::SetTop(QWidget& widget, float top) {
  Place(widget, Left(widget), top, Width(widget), Height(widget));
}
void Twips::SetWidth(QWidget& widget, float width) {
  Place(widget, Left(widget), Top(widget), width, Height(widget));
}
void Twips::SetHeight(QWidget& widget, float height) {
  Place(widget, Left(widget), Top(widget), Width(widget), height);
}

float Twips::OuterWidth(const QWidget& window) {
  return Recall(window, kOuterWidth, window.frameGeometry().width(), Screen::TwipsPerPixelX());
}

float Twips::OuterHeight(const QWidget& window) {
  return Recall(window, kOuterHeight, window.frameGeometry().height(), Screen::TwipsPerPixelY());
}

void Twips::SetOuterWidth(QWidget& window, float width) {
  int outer = std::max(0, ToPixelsX(width));
  window.resize(std::max(0, outer - FrameExtraWidth(window)), window.height());
  Remember(window, kOuterWidth, width, window.frameGeometry().width());
}

void Twips::SetOuterHeight(QWidget& window, float height) {
  int outer = std::max(0, ToPixelsY(height));
  window.resize(window.width(), std::max(0, outer - FrameExtraHeight(window)));
  Remember(window, kOuterHeight, height, window.frameGeometry().height());
}

void Twips::SetClientSize(QWidget& window, float width, float height) {
  window.resize(ToPixelsX(width), ToPixelsY(height));
}

int16_t Twips::WindowState(const QWidget& window) {
  if (window.isMinimized()) return 1;
  if (window.isMaximized()) return 2;
  return 0;
}

}  // namespace platform
