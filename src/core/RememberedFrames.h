#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/CropCommand.h"

// The last crop fixed on each of the pictures cut most lately, for the next
// picture of the same name and size (the next screenshot or export of a map).
// Kept as one text for the settings store, newest first, at most kMost.
class RememberedFrames {
 public:
  static constexpr size_t kMost = 200;

  RememberedFrames() = default;
  // The text Stored() gave; lines that can't be read are dropped.
  explicit RememberedFrames(std::string_view stored);
  std::string Stored() const;

  // The crop last fixed on a picture of that path and size; its `picture` is the path.
  std::optional<FixedCrop> Find(const std::string& path, int32_t pictureWidth, int32_t pictureHeight) const;
  // Becomes the newest; the oldest beyond kMost are dropped.
  void Remember(int32_t pictureWidth, int32_t pictureHeight, const FixedCrop& crop);
  // False when there was none.
  bool Forget(const std::string& path, int32_t pictureWidth, int32_t pictureHeight);
  void ForgetAll() { entries_.clear(); }
  size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    int32_t pictureWidth;
    int32_t pictureHeight;
    FixedCrop crop;
  };
  std::vector<Entry>::const_iterator Locate(const std::string& path, int32_t width, int32_t height) const;
  static std::optional<Entry> Parse(std::string_view line);

  std::vector<Entry> entries_;
};
