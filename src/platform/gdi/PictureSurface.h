#pragma once

#include <cstdint>

#include "platform/gdi/GdiTypes.h"

namespace gdi {

// Where a surface shows no picture: a light grey like a button face.
constexpr COLORREF kSurfaceBackColor = RGB(240, 240, 240);

constexpr int16_t vbTwips = 1;
constexpr int16_t vbPixels = 3;

// Something with a coordinate unit: a window or a surface.
class ScaleContainer {
 public:
  virtual ~ScaleContainer() = default;
  virtual int16_t ScaleMode() const = 0;
  virtual void SetScaleMode(int16_t mode) = 0;
};

// What a writer needs of a picture surface: its inside size in the current
// unit, its parent, and the context that holds what it shows.
class PictureSurface : public ScaleContainer {
 public:
  virtual ScaleContainer& Parent() = 0;
  virtual float ScaleWidth() const = 0;
  virtual float ScaleHeight() const = 0;
  virtual HDC hDC() = 0;
};

}  // namespace gdi
