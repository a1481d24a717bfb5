#pragma once

#include <cstdint>

#include "platform/gdi/GdiTypes.h"

// Where a selection of a fixed size lies for a pointer position, and the
// frame drawn around it. All sums are checked 32-bit arithmetic.
class SelectionGeometry {
 public:
  // The first pixel of a block of `size` pixels centred on `pointer` along one
  // axis of `extent` pixels: clamped to 0, then so that it ends on the last
  // pixel. The far clamp comes second and wins, so a block larger than the
  // picture starts at a negative position.
  static int32_t Start(int32_t pointer, int32_t size, float extent);

  // The frame's corners for a block at (left, top): it touches the block on
  // the left and top and leaves one pixel free on the right and bottom; the
  // far corner is exclusive.
  static gdi::Rect Frame(int32_t left, int32_t top, int32_t width, int32_t height);
};
