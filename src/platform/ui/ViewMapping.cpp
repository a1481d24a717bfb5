#include "platform/ui/ViewMapping.h"

#include <algorithm>
#include <cmath>

namespace platform {
namespace {

int Scaled(int pixels, double zoom) {
  if (pixels <= 0) return 0;
  return std::max(1, static_cast<int>(std::lround(pixels * zoom)));
}

}  // namespace

void ViewMapping::SetContent(QSize content) {
  content_ = content;
  ScrollTo(scroll_);
}

void ViewMapping::SetViewport(QSize viewport) {
  viewport_ = viewport;
  ScrollTo(scroll_);
}

void ViewMapping::SetZoom(double zoom, QPointF anchor) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  const double x = (anchor.x() + scroll_.x()) / zoom_;
  const double y = (anchor.y() + scroll_.y()) / zoom_;
  zoom_ = zoom;
  ScrollTo(QPoint(static_cast<int>(std::lround(x * zoom - anchor.x())),
                  static_cast<int>(std::lround(y * zoom - anchor.y()))));
}

void ViewMapping::ScrollTo(QPoint scroll) {
  const QPoint most = MaxScroll();
  scroll_ = QPoint(std::clamp(scroll.x(), 0, most.x()), std::clamp(scroll.y(), 0, most.y()));
}

QPoint ViewMapping::MaxScroll() const {
  const QSize shown = Shown();
  return QPoint(std::max(0, shown.width() - viewport_.width()),
                std::max(0, shown.height() - viewport_.height()));
}

QSize ViewMapping::Shown() const {
  return QSize(Scaled(content_.width(), zoom_), Scaled(content_.height(), zoom_));
}

double ViewMapping::FitZoom(QSize room) const {
  if (content_.isEmpty() || room.isEmpty()) return 1.0;
  const double zoom = std::min(static_cast<double>(room.width()) / content_.width(),
                               static_cast<double>(room.height()) / content_.height());
  return std::clamp(zoom, kMinZoom, 1.0);
}

int ViewMapping::Source(int view, int scroll, int extent) const {
  const int pixel =
      zoom_ == 1.0 ? view + scroll : static_cast<int>(std::floor((view + scroll + 0.5) / zoom_));
  return std::clamp(pixel, 0, std::max(0, extent - 1));
}

int ViewMapping::SourceColumn(int viewX) const { return Source(viewX, scroll_.x(), content_.width()); }
int ViewMapping::SourceRow(int viewY) const { return Source(viewY, scroll_.y(), content_.height()); }

double ViewMapping::Unzoomed(double view, int scroll) const {
  if (zoom_ == 1.0) return view + scroll;
  return std::floor((view + scroll + 0.5) / zoom_);
}

QPointF ViewMapping::PictureAt(QPointF viewPoint) const {
  return QPointF(Unzoomed(viewPoint.x(), scroll_.x()), Unzoomed(viewPoint.y(), scroll_.y()));
}

int ViewMapping::ViewColumnOf(int pictureX) const {
  return static_cast<int>(std::floor((pictureX + 0.5) * zoom_)) - scroll_.x();
}

int ViewMapping::ViewRowOf(int pictureY) const {
  return static_cast<int>(std::floor((pictureY + 0.5) * zoom_)) - scroll_.y();
}

// View pixel v shows picture pixel p from (v + scroll + 0.5) / zoom >= p on.
int ViewMapping::ViewColumnStarting(int pictureX) const {
  return static_cast<int>(std::ceil(pictureX * zoom_ - 0.5)) - scroll_.x();
}

int ViewMapping::ViewRowStarting(int pictureY) const {
  return static_cast<int>(std::ceil(pictureY * zoom_ - 0.5)) - scroll_.y();
}

QRect ViewMapping::ViewRectOf(const QRect& picture) const {
  if (picture.isEmpty()) return QRect();
  const int left = static_cast<int>(std::floor(picture.left() * zoom_)) - scroll_.x();
  const int top = static_cast<int>(std::floor(picture.top() * zoom_)) - scroll_.y();
  const int right = static_cast<int>(std::ceil((picture.right() + 1) * zoom_)) - scroll_.x();
  const int bottom = static_cast<int>(std::ceil((picture.bottom() + 1) * zoom_)) - scroll_.y();
  return QRect(QPoint(left, top), QPoint(std::max(left, right - 1), std::max(top, bottom - 1)));
}

}  // namespace platform
