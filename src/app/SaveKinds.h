#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The kinds of file Save As writes, in the order its dialog offers them.
enum class SaveKind { Targa, Jpeg, Png };

struct SaveKindInfo {
  SaveKind kind;
  std::string name;                     // "PNG"
  std::vector<std::string> extensions;  // lower case, without the dot; the first is the one added
};

class SaveKinds {
 public:
  static const std::vector<SaveKindInfo>& All();
  static const SaveKindInfo& Of(SaveKind kind);
  // The kind a name's extension says, in any case; none for another extension or none at all.
  static std::optional<SaveKind> ForName(const std::string& path);
  // The kind of a 1-based filter index of Filter(); none for another index.
  static std::optional<SaveKind> ForFilterIndex(int32_t index);
  static int32_t FilterIndexOf(SaveKind kind);
  // "PNG (*.png)|*.png|..." for the dialog functions, every kind once.
  static std::string Filter();
  // The path as written: its own extension when it names a kind, else the
  // chosen kind's added, so "map" saved as PNG becomes "map.png".
  static std::string Resolve(const std::string& path, SaveKind chosen, SaveKind& kind);
  // A name for the result from the picture's: "map.jpg" cut to 256 x 256
  // gives "map-256.png", to 300 x 200 "map-300x200.png"; no picture name gives "map-...".
  static std::string SuggestedName(const std::string& pictureName, int32_t width, int32_t height,
                                   SaveKind kind);
};
