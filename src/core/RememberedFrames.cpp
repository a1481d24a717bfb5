#include "core/RememberedFrames.h"

#include <algorithm>
#include <charconv>

namespace {

// File names are bytes: all but plain printable characters, and the
// separators, are kept as %XX so the settings store sees only ASCII.
std::string Escaped(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7F || c == '%' || c == ' ') {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size()) return std::nullopt;
    auto [end, error] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (error != std::errc() || end != text.data() + i + 3) return std::nullopt;
    out += static_cast<char>(value);
    i += 2;
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

bool Whole(std::string_view text, int32_t& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

RememberedFrames::RememberedFrames(std::string_view stored) {
  if (stored.empty()) return;
  for (std::string_view line : Split(stored, '\n')) {
    if (entries_.size() == kMost) break;
    std::optional<Entry> entry = Parse(line);
    if (entry && Locate(entry->crop.picture, entry->pictureWidth, entry->pictureHeight) == entries_.end()) {
      entries_.push_back(std::move(*entry));
    }
  }
}

// picture-width picture-height width height region-width region-height left top method linear path
std::optional<RememberedFrames::Entry> RememberedFrames::Parse(std::string_view line) {
  const std::vector<std::string_view> fields = Split(line, ' ');
  if (fields.size() != 11) return std::nullopt;
  Entry entry{};
  FixedCrop& c = entry.crop;
  int32_t* numbers[] = {&entry.pictureWidth, &entry.pictureHeight, &c.width, &c.height,
                        &c.regionWidth,      &c.regionHeight,      &c.left,  &c.top};
  for (size_t i = 0; i < 8; ++i) {
    if (!Whole(fields[i], *numbers[i])) return std::nullopt;
  }
  if (c.width <= 0 || c.height <= 0 || c.regionWidth <= 0 || c.regionHeight <= 0) return std::nullopt;
  std::optional<ReduceMethod> method = Reduction::Named(fields[8]);
  std::optional<std::string> path = Unescaped(fields[10]);
  if (!method || (fields[9] != "0" && fields[9] != "1") || !path || path->empty()) return std::nullopt;
  c.reduction = {*method, fields[9] == "1"};
  c.picture = std::move(*path);
  return entry;
}

std::string RememberedFrames::Stored() const {
  std::string text;
  for (const Entry& e : entries_) {
    const FixedCrop& c = e.crop;
    if (!text.empty()) text += '\n';
    for (int32_t n :
         {e.pictureWidth, e.pictureHeight, c.width, c.height, c.regionWidth, c.regionHeight, c.left, c.top}) {
      text += std::to_string(n) + ' ';
    }
    text += std::string(Reduction::Name(c.reduction.method)) + (c.reduction.linear ? " 1 " : " 0 ");
    text += Escaped(c.picture);
  }
  return text;
}

std::vector<RememberedFrames::Entry>::const_iterator RememberedFrames::Locate(const std::string& path,
                                                                              int32_t width,
                                                                              int32_t height) const {
  return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
    return e.pictureWidth == width && e.pictureHeight == height && e.crop.picture == path;
  });
}

std::optional<FixedCrop> RememberedFrames::Find(const std::string& path, int32_t pictureWidth,
                                                int32_t pictureHeight) const {
  auto found = Locate(path, pictureWidth, pictureHeight);
  if (found == entries_.end()) return std::nullopt;
  return found->crop;
}

void RememberedFrames::Remember(int32_t pictureWidth, int32_t pictureHeight, const FixedCrop& crop) {
  if (crop.picture.empty()) return;
  Forget(crop.picture, pictureWidth, pictureHeight);
  entries_.insert(entries_.begin(), Entry{pictureWidth, pictureHeight, crop});
  if (entries_.size() > kMost) entries_.resize(kMost);
}

bool RememberedFrames::Forget(const std::string& path, int32_t pictureWidth, int32_t pictureHeight) {
  auto found = Locate(path, pictureWidth, pictureHeight);
  if (found == entries_.end()) return false;
  entries_.erase(found);
  return true;
}
