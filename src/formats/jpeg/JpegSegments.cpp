#include "formats/jpeg/JpegSegments.h"

#include <algorithm>

namespace formats {
namespace {

constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;

// Restart markers, TEM and SOI carry no length.
bool StandsAlone(uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8); }

}  // namespace

void JpegSegments::Walk(std::span<const uint8_t> file, const Visit& visit) {
  if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8) return;
  size_t at = 2;
  while (at + 1 < file.size()) {
    if (file[at] != 0xFF) return;
    const uint8_t marker = file[at + 1];
    // Fill bytes: any number of 0xFF before a marker.
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) return;
    if (StandsAlone(marker)) {
      at += 2;
      continue;
    }
    if (at + 4 > file.size()) return;
    const size_t length = BigEndian16(file, at + 2);
    if (length < 2) return;
    const size_t start = at + 4;
    const size_t end = std::min(file.size(), at + 2 + length);
    if (!visit(marker, file.subspan(start, end - start))) return;
    at += 2 + length;
  }
}

}  // namespace formats
