#include "app/SaveKinds.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The extension after the last dot of the last part of the path, lower case; empty for none.
std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lower(path.substr(dot + 1));
}

}  // namespace

const std::vector<SaveKindInfo>& SaveKinds::All() {
  static const std::vector<SaveKindInfo> kinds = {
      {SaveKind::Png, "PNG", {"png"}},
      {SaveKind::Jpeg, "JPEG", {"jpg", "jpeg"}},
      {SaveKind::Targa, "Targa", {"tga"}},
  };
  return kinds;
}

const SaveKindInfo& SaveKinds::Of(SaveKind kind) {
  for (const SaveKindInfo& info : All())
    if (info.kind == kind) return info;
  return All().front();
}

std::optional<SaveKind> SaveKinds::ForName(const std::string& path) {
  const std::string extension = ExtensionOf(path);
  if (extension.empty()) return std::nullopt;
  for (const SaveKindInfo& info : All()) {
    if (std::find(info.extensions.begin(), info.extensions.end(), extension) != info.extensions.end())
      return info.kind;
  }
  return std::nullopt;
}

std::optional<SaveKind> SaveKinds::ForFilterIndex(int32_t index) {
  if (index < 1 || index > static_cast<int32_t>(All().size())) return std::nullopt;
  return All()[static_cast<size_t>(index - 1)].kind;
}

int32_t SaveKinds::FilterIndexOf(SaveKind kind) {
  for (size_t i = 0; i < All().size(); ++i)
    if (All()[i].kind == kind) return static_cast<int32_t>(i + 1);
  return 1;
}

std::string SaveKinds::Filter() {
  std::string filter;
  for (const SaveKindInfo& info : All()) {
    std::string shown, patterns;
    for (const std::string& extension : info.extensions) {
      shown += (shown.empty() ? "*." : " *.") + extension;
      patterns += (patterns.empty() ? "*." : ";*.") + extension;
    }
    filter += (filter.empty() ? "" : "|") + info.name + " (" + shown + ")|" + patterns;
  }
  return filter;
}

std::string SaveKinds::Resolve(const std::string& path, SaveKind chosen, SaveKind& kind) {
  if (auto named = ForName(path)) {
    kind = *named;
    return path;
  }
  kind = chosen;
  return path + "." + Of(chosen).extensions.front();
}

std::string SaveKinds::SuggestedName(const std::string& pictureName, int32_t width, int32_t height,
                                     SaveKind kind) {
  std::string stem = pictureName.substr(pictureName.find_last_of('/') + 1);
  const size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  if (stem.empty()) stem = "map";
  const std::string size =
      width == height ? std::to_string(width) : std::to_string(width) + "x" + std::to_string(height);
  return stem + "-" + size + "." + Of(kind).extensions.front();
}
