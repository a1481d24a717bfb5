#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/FormatTable.h"

// The kinds Save As writes, as the table of kinds lists them, in the words
// and order of its dialog.
class SaveKinds {
 public:
  using Kind = formats::FileKind;

  // Every written kind, in the table's order.
  static std::vector<Kind> All();
  // The kind offered first: lossless and read everywhere.
  static constexpr Kind kOffered = Kind::Png;
  // The kind a name's extension says, in any case; none for another extension or none at all.
  static std::optional<Kind> ForName(const std::string& path);
  // The kind of a 1-based filter index of Filter(); none for another index.
  static std::optional<Kind> ForFilterIndex(int32_t index);
  static int32_t FilterIndexOf(Kind kind);
  // "Targa (*.tga)|*.tga|JPEG (*.jpg *.jpeg)|..." for the dialog functions, every kind once.
  static std::string Filter();
  // The path as written: its own extension when it names a kind, else the
  // chosen kind's added, so "map" saved as PNG becomes "map.png".
  static std::string Resolve(const std::string& path, Kind chosen, Kind& kind);
  // A name for the result from the picture's: "map.jpg" cut to 256 x 256
  // gives "map-256.png", to 300 x 200 "map-300x200.png"; no name gives "map-...".
  static std::string SuggestedName(const std::string& pictureName, int32_t width, int32_t height, Kind kind);
};
