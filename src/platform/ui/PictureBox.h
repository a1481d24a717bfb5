#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Picture.h"
#include "platform/gdi/PictureSurface.h"
#include "platform/ui/ViewMapping.h"

class ReducedCopies;

class QPainter;
class QScrollBar;

namespace platform {

class EdgeScroller;

// A borderless picture surface. What it shows is its kept image, a bitmap of
// the surface's inside size that every drawing through hDC() lands in; a
// drawing repaints just the rectangle it changed. Setting a picture shares the
// picture's pixels, whichever way up they lie, until the first drawing, so
// even a very large picture is shown without a copy.
//
// Left alone the widget is the kept image, pixel for pixel. Given a view
// limit or a zoom, the widget is a view of it: at most the limit in size,
// zoomed, and (when scrollable) with scroll bars, the wheel and the keys to
// move around. Mouse positions always arrive in the kept image's pixels.
class PictureBox final : public QWidget, public gdi::PictureSurface {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);
  ~PictureBox() override;

  const gdi::PicturePtr& Picture() const { return picture_; }
  // Redraws the kept image from the picture; with AutoSize the box takes the picture's size.
  void SetPicture(gdi::PicturePtr picture);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }

  bool AutoRedraw() const { return autoRedraw_; }
  void SetAutoRedraw(bool autoRedraw) { autoRedraw_ = autoRedraw; }
  // Repaints now rather than at the next pass of the event loop.
  void Refresh();

  gdi::COLORREF BackColor() const { return backColor_; }
  // Clears the drawings: the kept image is redrawn from the picture on the new colour.
  void SetBackColor(gdi::COLORREF colour);

  // Place in twips relative to the container; size in twips of the inside,
  // however much of it the view shows.
  float Left() const;
  float Top() const;
  float Width() const;
  float Height() const;
  void SetLeft(float left);
  void SetTop(float top);
  void SetWidth(float width);
  void SetHeight(float height);
  void Move(float left, float top, float width, float height);

  // The container's unit: the parent widget when it has one, else twips.
  ScaleContainer& Parent() override;
  int16_t ScaleMode() const override { return scaleMode_; }
  // 1 (twips) or 3 (pixels); anything else is an invalid argument.
  void SetScaleMode(int16_t mode) override;
  float ScaleWidth() const override;
  float ScaleHeight() const override;
  gdi::HDC hDC() override;

  const gdi::Bitmap& Image();
  // Nothing drawn and no picture: plain background, which costs no memory.
  bool Blank() const { return !image_; }
  // The kept image gets pixels of its own now, not at the first drawing: on a
  // large picture that copy takes a while.
  void TakeOwnPixels();

  // The most room the widget may take, in screen pixels; none makes it the whole image again.
  void SetViewLimit(std::optional<QSize> limit);
  // Scroll bars, the wheel and the keys move the view.
  void SetScrollable(bool scrollable);
  double Zoom() const { return view_.Zoom(); }
  // Keeps the image point under `anchor`, a widget point, where it is.
  void SetZoom(double zoom, QPointF anchor);
  // The largest zoom, at most 1, that shows the whole image within the view limit.
  double FitZoom() const;
  QPoint ScrollPosition() const { return view_.Scroll(); }
  QPoint MaxScroll() const { return view_.MaxScroll(); }
  void ScrollTo(QPoint position);
  // Scrolls as little as shows these image pixels, as many of them as the view holds.
  void KeepInSight(const QRect& pixels);
  // The part of the widget that shows the image, scroll bars aside.
  QRect Viewport() const { return QRect(QPoint(0, 0), view_.Viewport()); }
  // The image pixel under a widget point.
  QPointF PictureAt(QPointF widgetPoint) const { return view_.PictureAt(widgetPoint); }
  // Faint lines of a grid laid from the image's top-left pixel, one every
  // `cell` image pixels, over `area` of the image, the lines on its edges
  // included. They lie under the outlines drawn on the image and show only
  // at a zoom of 1 or more, where they fall between the pixels shown.
  struct Grid {
    int32_t cell;
    gdi::Rect area;
    bool operator==(const Grid&) const = default;
  };
  void SetGrid(std::optional<Grid> grid);
  const std::optional<Grid>& GridShown() const { return grid_; }

  // While `following` holds, the view scrolls when the pointer nears its
  // edges, and leaves the arrow keys to the window.
  void SetFollowPointer(std::function<bool()> following) { following_ = std::move(following); }

 signals:
  // button: 1 left, 2 right, 4 middle (held ones, for a move); shift: 1 Shift, 2 Ctrl, 4 Alt;
  // x and y in the box's scale unit.
  void mouseMoved(int button, int shift, float x, float y);
  // A left button pressed and released over the box.
  void clicked(int button, int shift, float x, float y);
  // Ctrl+wheel: steps in (positive) or out, around a widget point.
  void zoomRequested(int steps, QPointF at);
  // The zoom shown changed, whatever asked for it.
  void zoomChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class TwipsContainer final : public ScaleContainer {
   public:
    int16_t ScaleMode() const override { return gdi::vbTwips; }
    void SetScaleMode(int16_t) override {}
  };
  struct Outline {
    gdi::Rect rect;
    gdi::COLORREF colour;
  };

  bool Viewing() const { return limit_.has_value() || view_.Zoom() != 1.0; }
  std::unique_ptr<gdi::Bitmap> ImageFromPicture(QSize size) const;
  void ReplaceImage(std::unique_ptr<gdi::Bitmap> image);
  void DrawImagePart(QPainter& painter, const QRect& part);
  // Zoomed out: each screen pixel the mean of the image pixels it covers.
  QRect DrawAveragedPart(QPainter& painter, const QRect& part);
  // Each screen pixel the image pixel its centre falls on.
  void DrawSampledPart(QPainter& painter, const QRect& rest);
  void DrawOutlines(QPainter& painter) const;
  // The view pixels the grid's lines may cover; empty while they don't show.
  QRect GridRect(const std::optional<Grid>& grid) const;
  void DrawGrid(QPainter& painter, const QRegion& region) const;
  void SetContent(QSize pixels);
  void FitImageToSize();
  // Without a picture the kept image is plain background and is made only
  // when something is about to draw on it or read it.
  void EnsureImage();
  void RepaintChanged(const gdi::Rect& r);
  void KeepOutline(const gdi::Rect& r, gdi::COLORREF colour);
  // Sizes the widget and its scroll bars for the image, the zoom and the limit.
  void ApplyView();
  void LayOutBars(bool horizontal, bool vertical, int thickness);
  void SyncBars();
  void ScrollBy(QPoint delta);
  void FollowEdge(QPoint step);
  bool Following() const { return following_ && following_(); }
  void EmitMove(QPointF widgetPoint, int buttons, int shift);
  float ToScaleX(double pixels) const;
  float ToScaleY(double pixels) const;

  gdi::PicturePtr picture_;
  std::unique_ptr<gdi::Bitmap> image_;  // null while it would be plain background
  gdi::DeviceContext dc_;
  TwipsContainer ownContainer_;
  gdi::COLORREF backColor_ = gdi::kSurfaceBackColor;
  int16_t scaleMode_ = gdi::vbTwips;
  bool autoSize_ = false;
  bool autoRedraw_ = false;
  bool leftPressed_ = false;

  // The inside in pixels, and the twips it was last set in (kept while it still gives those pixels).
  QSize content_;
  QSizeF contentTwips_{-1, -1};
  QSize contentTwipsPixels_{-1, -1};
  ViewMapping view_;
  std::optional<QSize> limit_;
  bool scrollable_ = false;
  QScrollBar* horizontalBar_ = nullptr;
  QScrollBar* verticalBar_ = nullptr;
  int wheelRemainder_ = 0;
  std::function<bool()> following_;
  EdgeScroller* edgeScroller_;
  QPoint lastPointer_;
  // Outlines on the image that nothing has drawn over since.
  std::vector<Outline> outlines_;
  std::optional<Grid> grid_;
  // Reduced copies of the kept image, made as a zoomed-out view needs them.
  std::unique_ptr<ReducedCopies> reductions_;
};

}  // namespace platform
