#pragma once

#include <functional>

#include "platform/gdi/GdiTypes.h"

namespace gdi {

// A drawing context: the bitmap and pen selected into it, and optional
// listeners told which rectangle of the bitmap changed (a surface repaints it)
// and which outline was drawn (a zoomed-out surface keeps it in sight).
// Its brush is hollow, so Rectangle draws outlines only.
class DeviceContext {
 public:
  // A memory context holding the stock 1 x 1 bitmap and the stock pen.
  DeviceContext();
  // A context bound for life to a surface's image; DeleteDC refuses it.
  explicit DeviceContext(Bitmap* surfaceImage);
  ~DeviceContext();
  DeviceContext(const DeviceContext&) = delete;
  DeviceContext& operator=(const DeviceContext&) = delete;

  Bitmap* SelectedBitmap() const { return bitmap_; }
  Pen* SelectedPen() const { return pen_; }
  bool IsSurfaceContext() const { return surface_; }

  // Returns the object of the same kind that was selected before.
  GdiObject* Select(GdiObject* object);
  // For surfaces whose image is replaced (resized, new picture).
  void Rebind(Bitmap* surfaceImage);

  void SetChangeListener(std::function<void(const Rect&)> listener) { listener_ = std::move(listener); }
  void NotifyChanged(const Rect& r) const {
    if (listener_ && !r.Empty()) listener_(r);
  }
  void SetOutlineListener(std::function<void(const Rect&, COLORREF)> listener) {
    outlineListener_ = std::move(listener);
  }
  void NotifyOutline(const Rect& r, COLORREF colour) const {
    if (outlineListener_) outlineListener_(r, colour);
  }

 private:
  Bitmap* bitmap_;
  Pen* pen_;
  bool surface_;
  std::function<void(const Rect&)> listener_;
  std::function<void(const Rect&, COLORREF)> outlineListener_;
};

}  // namespace gdi
