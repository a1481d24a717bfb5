#pragma once

#include <QString>
#include <optional>

#include "app/PixelSize.h"
#include "core/RegionScaler.h"

// What the line under the frames says, from what the window knows at that
// moment. Each part is left out while the window has no value for it.
struct StatusFacts {
  // During a selection: the frame's corner, the region it takes and the result it makes.
  struct Frame {
    PixelPoint corner;
    RegionSize region;
    PixelSize result;
  };

  // The picture pixel under the pointer.
  std::optional<PixelPoint> pointer;
  std::optional<Frame> frame;
  // Outside a selection: the size the next one takes, and the result shown.
  std::optional<PixelSize> cropSize;
  std::optional<PixelSize> result;
  // With a picture open.
  std::optional<double> zoom;
};

class StatusLine {
 public:
  static QString Text(const StatusFacts& facts);
};
