#pragma once

#include "platform/gdi/GdiObject.h"
#include "platform/gdi/GdiTypes.h"

namespace gdi {

class Pen final : public GdiObject {
 public:
  Pen(int style, int width, COLORREF colour, bool stock = false)
      : GdiObject(stock), style_(style), width_(width), colour_(colour) {}
  static Pen* Stock();  // black, solid, one pixel: what a new context holds

  int Style() const { return style_; }
  int Width() const { return width_; }
  COLORREF Colour() const { return colour_; }

 private:
  int style_;
  int width_;
  COLORREF colour_;
};

}  // namespace gdi
