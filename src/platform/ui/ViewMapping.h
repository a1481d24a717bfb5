#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>

namespace platform {

// How a picture is shown in a view: at a zoom, scrolled by whole screen
// pixels. Screen pixel v of the view shows picture pixel
// floor((v + scroll + 0.5) / zoom): the one its centre falls on. At zoom 1
// that is v + scroll, pixel for pixel.
class ViewMapping {
 public:
  static constexpr double kMinZoom = 1.0 / 256;
  static constexpr double kMaxZoom = 32.0;

  QSize Content() const { return content_; }
  void SetContent(QSize content);
  QSize Viewport() const { return viewport_; }
  void SetViewport(QSize viewport);
  double Zoom() const { return zoom_; }
  // Keeps the picture point under `anchor` (a view point) where it is.
  void SetZoom(double zoom, QPointF anchor);
  QPoint Scroll() const { return scroll_; }
  // Clamped so the view never passes the picture's edges.
  void ScrollTo(QPoint scroll);
  QPoint MaxScroll() const;

  // The picture at this zoom, in screen pixels.
  QSize Shown() const;
  // The largest zoom, at most 1, that shows the whole picture in `room`.
  double FitZoom(QSize room) const;

  // The picture pixel a view column or row shows, within the picture.
  int SourceColumn(int viewX) const;
  int SourceRow(int viewY) const;
  // The picture point under a view point: whole pixels when zoomed, the
  // point itself moved by the scroll at zoom 1.
  QPointF PictureAt(QPointF viewPoint) const;
  // The view column or row showing the centre of a picture column or row.
  int ViewColumnOf(int pictureX) const;
  int ViewRowOf(int pictureY) const;
  // The first view column or row showing a picture column or row: where the
  // boundary before it falls on screen.
  int ViewColumnStarting(int pictureX) const;
  int ViewRowStarting(int pictureY) const;
  // The view pixels that show any of the given picture pixels.
  QRect ViewRectOf(const QRect& picture) const;

 private:
  int Source(int view, int scroll, int extent) const;
  double Unzoomed(double view, int scroll) const;

  QSize content_;
  QSize viewport_;
  double zoom_ = 1.0;
  QPoint scroll_;
};

}  // namespace platform
