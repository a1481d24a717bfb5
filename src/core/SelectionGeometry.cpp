#include "core/SelectionGeometry.h"

#include "platform/base/Checked.h"
#include "platform/base/Convert.h"

int32_t SelectionGeometry::Start(int32_t pointer, int32_t size, float extent) {
  int32_t start = checked::Sub(pointer, checked::Div(size, 2));
  if (start < 0) start = 0;
  if (extent < static_cast<float>(checked::Add(start, size))) {
    start = convert::RoundToInt32(static_cast<double>(extent) - size);
  }
  return start;
}

gdi::Rect SelectionGeometry::Frame(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {checked::Sub(left, 1), checked::Sub(top, 1), checked::Add(checked::Add(left, width), 2),
          checked::Add(checked::Add(top, height), 2)};
}
