#include "app/SaveKinds.h"

#include <algorithm>

using formats::FileFormat;
using formats::FormatTable;

std::vector<SaveKinds::Kind> SaveKinds::All() {
  std::vector<Kind> kinds;
  for (const FileFormat* format : FormatTable::Written()) kinds.push_back(format->kind);
  return kinds;
}

// Only the last part of the name counts: "maps.png/map" has no extension.
std::optional<SaveKinds::Kind> SaveKinds::ForName(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  const FileFormat* format = FormatTable::WrittenAs(name);
  if (!format) return std::nullopt;
  return format->kind;
}

std::optional<SaveKinds::Kind> SaveKinds::ForFilterIndex(int32_t index) {
  const std::vector<Kind> kinds = All();
  if (index < 1 || index > static_cast<int32_t>(kinds.size())) return std::nullopt;
  return kinds[static_cast<size_t>(index - 1)];
}

int32_t SaveKinds::FilterIndexOf(Kind kind) {
  const std::vector<Kind> kinds = All();
  const auto at = std::find(kinds.begin(), kinds.end(), kind);
  return at == kinds.end() ? 1 : static_cast<int32_t>(at - kinds.begin() + 1);
}

std::string SaveKinds::Filter() {
  std::string filter;
  for (const FileFormat* format : FormatTable::Written()) {
    std::string shown, patterns;
    for (std::string_view extension : format->extensions) {
      shown += (shown.empty() ? "*" : " *") + std::string(extension);
      patterns += (patterns.empty() ? "*" : ";*") + std::string(extension);
    }
    if (!filter.empty()) filter += '|';
    filter.append(format->title).append(" (").append(shown).append(")|").append(patterns);
  }
  return filter;
}

std::string SaveKinds::Resolve(const std::string& path, Kind chosen, Kind& kind) {
  if (auto named = ForName(path)) {
    kind = *named;
    return path;
  }
  kind = chosen;
  return FormatTable::WithExtension(path, chosen);
}

std::string SaveKinds::SuggestedName(const std::string& pictureName, int32_t width, int32_t height,
                                     Kind kind) {
  std::string stem = pictureName.substr(pictureName.find_last_of('/') + 1);
  const size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  if (stem.empty()) stem = "map";
  const std::string size =
      width == height ? std::to_string(width) : std::to_string(width) + "x" + std::to_string(height);
  return stem + "-" + size + std::string(FormatTable::Of(kind).DefaultExtension());
}
