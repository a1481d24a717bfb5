#include "app/MapMakerAids.h"

#include "platform/base/AppInfo.h"
#include "platform/ui/Settings.h"

namespace {

constexpr const char* kSection = "Settings";

std::string Setting(const char* key) {
  return platform::GetSetting(platform::AppInfo::Title(), kSection, key);
}

void Store(const char* key, const std::string& value) {
  platform::SaveSetting(platform::AppInfo::Title(), kSection, key, value);
}

}  // namespace

MapMakerAids::MapMakerAids()
    : snapping_(Setting("SnapToGrid") == "1"),
      grid_(GridSnap::Parse(Setting("GridSize")) ? GridSnap::Parse(Setting("GridSize")) : GridSnap::kDefault),
      frames_(Setting("Frames")) {}

void MapMakerAids::ToggleSnapping() {
  snapping_ = !snapping_;
  Store("SnapToGrid", snapping_ ? "1" : "0");
}

void MapMakerAids::SetGridSize(int32_t cell) {
  grid_ = GridSnap(cell);
  Store("GridSize", std::to_string(grid_.Cell()));
}

void MapMakerAids::NextMethod() {
  reduction_.method = static_cast<ReduceMethod>((static_cast<int>(reduction_.method) + 1) % 3);
  if (reduction_.method != ReduceMethod::Area) reduction_.linear = false;
}

void MapMakerAids::ToggleLinear() {
  reduction_.linear = !reduction_.linear;
  if (reduction_.linear) reduction_.method = ReduceMethod::Area;
}

void MapMakerAids::Fixed(const FixedCrop& crop, int32_t pictureWidth, int32_t pictureHeight) {
  lastFixed_ = crop;
  if (crop.picture.empty()) return;
  frames_.Remember(pictureWidth, pictureHeight, crop);
  Store("Frames", frames_.Stored());
}

std::optional<FixedCrop> MapMakerAids::RememberedFor(const std::string& path, int32_t pictureWidth,
                                                     int32_t pictureHeight) const {
  return frames_.Find(path, pictureWidth, pictureHeight);
}

void MapMakerAids::ForgetAll() {
  frames_.ForgetAll();
  Store("Frames", "");
}
