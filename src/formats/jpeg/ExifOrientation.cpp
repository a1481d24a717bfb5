#include "formats/jpeg/ExifOrientation.h"

#include <cstring>

#include "formats/jpeg/JpegSegments.h"

namespace formats {
namespace {

constexpr uint8_t kApp1 = 0xE1;
constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kShort = 3;
constexpr size_t kEntryBytes = 12;
constexpr uint8_t kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};

// TIFF numbers in the byte order the data names.
class TiffReader {
 public:
  explicit TiffReader(std::span<const uint8_t> data) : data_(data) {}

  bool Begin() {
    if (data_.size() < 8) return false;
    if (data_[0] == 'I' && data_[1] == 'I') {
      little_ = true;
    } else if (!(data_[0] == 'M' && data_[1] == 'M')) {
      return false;
    }
    return U16(2) == 42;
  }
  bool Has(size_t at, size_t bytes) const { return at <= data_.size() && bytes <= data_.size() - at; }
  uint32_t U16(size_t at) const {
    return little_ ? data_[at] | (data_[at + 1] << 8) : (data_[at] << 8) | data_[at + 1];
  }
  uint32_t U32(size_t at) const {
    return little_ ? U16(at) | (U16(at + 2) << 16) : (U16(at) << 16) | U16(at + 2);
  }

 private:
  std::span<const uint8_t> data_;
  bool little_ = false;
};

}  // namespace

int ExifOrientation::Of(std::span<const uint8_t> file) {
  if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8) return FromJpeg(file);
  return FromTiff(file);
}

int ExifOrientation::FromJpeg(std::span<const uint8_t> file) {
  int orientation = kUpright;
  JpegSegments::Walk(file, [&orientation](uint8_t marker, std::span<const uint8_t> payload) {
    const bool exif = marker == kApp1 && payload.size() >= sizeof kExifHeader &&
                      std::memcmp(payload.data(), kExifHeader, sizeof kExifHeader) == 0;
    if (!exif) return true;
    orientation = FromTiff(payload.subspan(sizeof kExifHeader));
    return false;
  });
  return orientation;
}

int ExifOrientation::FromTiff(std::span<const uint8_t> tiff) {
  TiffReader reader(tiff);
  if (!reader.Begin()) return kUpright;
  const size_t folder = reader.U32(4);
  if (!reader.Has(folder, 2)) return kUpright;
  const size_t count = reader.U16(folder);
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = folder + 2 + i * kEntryBytes;
    if (!reader.Has(entry, kEntryBytes)) return kUpright;
    if (reader.U16(entry) != kOrientationTag) continue;
    if (reader.U16(entry + 2) != kShort || reader.U32(entry + 4) < 1) return kUpright;
    const auto value = static_cast<int>(reader.U16(entry + 8));
    return value >= 1 && value <= 8 ? value : kUpright;
  }
  return kUpright;
}

}  // namespace formats
