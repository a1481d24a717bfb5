#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/CropCommand.h"
#include "core/GridSnap.h"
#include "core/RememberedFrames.h"
#include "imaging/Reduction.h"

// What the window keeps for map makers: whether the frame snaps to a grid and
// its cell size, how a region is reduced, the crop fixed last and the frames
// remembered per picture. The grid and the frames live in the settings store
// ("SnapToGrid", "GridSize", "Frames"); the reduction lasts for the run.
class MapMakerAids {
 public:
  MapMakerAids();

  bool Snapping() const { return snapping_; }
  void ToggleSnapping();
  const GridSnap& Grid() const { return grid_; }
  void SetGridSize(int32_t cell);

  const Reduction& Reduce() const { return reduction_; }
  // area, majority, nearest and round again; linear light only averages.
  void NextMethod();
  void ToggleLinear();
  void SetReduction(const Reduction& reduction) { reduction_ = reduction; }

  // The crop just fixed on a picture of that size: the last, and remembered for it.
  void Fixed(const FixedCrop& crop, int32_t pictureWidth, int32_t pictureHeight);
  const std::optional<FixedCrop>& LastFixed() const { return lastFixed_; }
  std::optional<FixedCrop> RememberedFor(const std::string& path, int32_t pictureWidth,
                                         int32_t pictureHeight) const;
  // Every remembered frame, from the store too; the last crop stays for this run.
  void ForgetAll();
  size_t Remembered() const { return frames_.Count(); }

 private:
  bool snapping_ = false;
  GridSnap grid_{GridSnap::kDefault};
  Reduction reduction_;
  std::optional<FixedCrop> lastFixed_;
  RememberedFrames frames_;
};
