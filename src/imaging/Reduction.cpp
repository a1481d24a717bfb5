#include "imaging/Reduction.h"

#include "imaging/AreaAverager.h"
#include "imaging/MajorityPicker.h"

namespace {

constexpr std::string_view kNames[] = {"area", "majority", "nearest"};

}  // namespace

std::string_view Reduction::Name(ReduceMethod method) { return kNames[static_cast<int>(method)]; }

std::optional<ReduceMethod> Reduction::Named(std::string_view name) {
  for (int i = 0; i < 3; ++i) {
    if (kNames[i] == name) return static_cast<ReduceMethod>(i);
  }
  return std::nullopt;
}

void Reduction::Fill(const PixelRows<const uint8_t>& source, const PixelRows<uint8_t>& dest) const {
  switch (method) {
    case ReduceMethod::Area:
      AreaAverager(0, linear).Fill(source, dest);
      return;
    case ReduceMethod::Majority:
      MajorityPicker().Fill(source, dest);
      return;
    case ReduceMethod::Nearest:
      NearestSampler::Fill(source, dest);
      return;
  }
}
