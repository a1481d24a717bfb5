#pragma once

#include <QWidget>
#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Picture.h"
#include "platform/gdi/PictureSurface.h"

class QPainter;

namespace platform {

// A borderless picture surface. What it shows is its kept image, a top-down
// bitmap of the widget's pixel size that every drawing through hDC() lands
// in; a drawing repaints just the rectangle it changed. Setting a picture
// shares the picture's pixels until the first drawing, so even a very large
// picture is shown without a copy.
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

  // Place and size in twips, relative to the container.
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

 signals:
  // button: 1 left, 2 right, 4 middle (held ones, for a move); shift: 1 Shift, 2 Ctrl, 4 Alt;
  // x and y in the box's scale unit.
  void mouseMoved(int button, int shift, float x, float y);
  // A left button pressed and released over the box.
  void clicked(int button, int shift, float x, float y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  class TwipsContainer final : public ScaleContainer {
   public:
    int16_t ScaleMode() const override { return gdi::vbTwips; }
    void SetScaleMode(int16_t) override {}
  };

  std::unique_ptr<gdi::Bitmap> ImageFromPicture(int width, int height) const;
  void ReplaceImage(std::unique_ptr<gdi::Bitmap> image);
  void DrawImagePart(QPainter& painter, const QRect& part);
  bool DrawImagePartDirectly(QPainter& painter, const QRect& part);
  void FitImageToSize();
  // Without a picture the kept image is plain background and is made only
  // when something is about to draw on it or read it.
  void EnsureImage();
  void RepaintChanged(const gdi::Rect& r);
  float ToScaleX(float pixels) const;
  float ToScaleY(float pixels) const;

  gdi::PicturePtr picture_;
  std::unique_ptr<gdi::Bitmap> image_;  // null while it would be plain background
  gdi::DeviceContext dc_;
  TwipsContainer ownContainer_;
  gdi::COLORREF backColor_ = gdi::kSurfaceBackColor;
  int16_t scaleMode_ = gdi::vbTwips;
  bool autoSize_ = false;
  bool autoRedraw_ = false;
  bool leftPressed_ = false;
};

}  // namespace platform
