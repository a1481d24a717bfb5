#pragma once

#include <cstdint>
#include <string_view>

// A frame whose top-left corner keeps to a grid of square cells laid from the
// picture's top-left pixel, in picture pixels whatever the zoom. A frame that
// fits in the picture stays inside it on the grid line nearest to where it was
// asked for; one wider (or taller) than the picture takes the clamped place
// the window gives it, where no grid line could hold it inside.
class GridSnap {
 public:
  // The cell sizes offered; any other from 2 to kLargest may be typed.
  static constexpr int32_t kOffered[] = {8, 16, 32, 64};
  static constexpr int32_t kDefault = 16;
  static constexpr int32_t kLargest = 4096;

  explicit GridSnap(int32_t cell);

  int32_t Cell() const { return cell_; }

  // The start along one axis of a frame of `size` pixels asked to start at
  // `start` in a picture `extent` pixels long: clamped as the selection is,
  // then on the nearest grid line that keeps it inside (the lower of two as near).
  int32_t Start(int64_t start, int32_t size, int32_t extent) const;

  // The start `cells` whole cells on from a start on the grid, within the same bounds.
  int32_t Step(int32_t start, int32_t cells, int32_t size, int32_t extent) const;

  // A typed cell size, or 0 when it is none.
  static int32_t Parse(std::string_view text);

 private:
  int32_t cell_;
};
