#include "core/CropCommand.h"

namespace {

std::string Size(int32_t width, int32_t height) {
  return width == height ? std::to_string(width) : std::to_string(width) + "x" + std::to_string(height);
}

}  // namespace

std::string CropCommand::ShellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string CropCommand::For(const FixedCrop& crop) {
  // A relative name starting with a dash would read as an option.
  const std::string picture = crop.picture.starts_with('-') ? "./" + crop.picture : crop.picture;
  std::string command = "quarvel crop " + ShellQuoted(picture) + " --size " + Size(crop.width, crop.height);
  const bool scales = crop.regionWidth != crop.width || crop.regionHeight != crop.height;
  if (scales) command += " --region " + Size(crop.regionWidth, crop.regionHeight);
  command += " --origin " + std::to_string(crop.left) + "," + std::to_string(crop.top);
  if (scales && crop.reduction.method != ReduceMethod::Area) {
    command += " --reduce " + std::string(Reduction::Name(crop.reduction.method));
  }
  if (scales && crop.reduction.linear) command += " --linear";
  return command;
}
