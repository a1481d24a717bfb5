#include "formats/PictureHeader.h"

#include <cstdlib>
#include <cstring>

#include "formats/PictureFile.h"
#include "formats/gif/GifReader.h"
#include "formats/jpeg/ExifOrientation.h"
#include "formats/jpeg/JpegReader.h"
#include "formats/jpeg/JpegSegments.h"
#include "formats/png/PngReader.h"

namespace formats {
namespace {

uint32_t Le16(std::span<const uint8_t> b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t Le32(std::span<const uint8_t> b, size_t at) { return Le16(b, at) | (Le16(b, at + 2) << 16); }
uint32_t Be32(std::span<const uint8_t> b, size_t at) {
  return (JpegSegments::BigEndian16(b, at) << 16) | JpegSegments::BigEndian16(b, at + 2);
}

// Start-of-frame markers: C0 to CF but for DHT (C4), JPG (C8) and DAC (CC).
bool StartsFrame(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureHeader> Sized(int64_t width, int64_t height, int orientation = 1) {
  if (width <= 0 || height <= 0) return std::nullopt;
  return PictureHeader{width, height, orientation, 0};
}

}  // namespace

std::optional<PictureHeader> PictureHeader::Read(const std::string& path) {
  const PictureFile file(path);
  const std::vector<uint8_t> head = file.Head(kHeadBytes);
  std::optional<PictureHeader> header = Of(head);
  if (header && !(head[0] == 'B' && head[1] == 'M')) header->encodedBytes = file.Size();
  return header;
}

std::optional<PictureHeader> PictureHeader::Of(std::span<const uint8_t> head) {
  if (JpegReader::Takes(head)) return Jpeg(head);
  if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M') return Bmp(head);
  if (GifReader::Takes(head)) return Gif(head);
  if (PngReader::Takes(head)) return Png(head);
  return std::nullopt;
}

std::optional<PictureHeader> PictureHeader::Jpeg(std::span<const uint8_t> head) {
  std::optional<PictureHeader> header;
  JpegSegments::Walk(head, [&header](uint8_t marker, std::span<const uint8_t> payload) {
    if (!StartsFrame(marker)) return true;
    // Precision, then height and width.
    if (payload.size() >= 5)
      header = Sized(JpegSegments::BigEndian16(payload, 3), JpegSegments::BigEndian16(payload, 1));
    return false;
  });
  if (header) header->orientation = ExifOrientation::Of(head);
  return header;
}

// The old core header has 16-bit sides; every later one 32-bit, a negative
// height meaning top-down rows.
std::optional<PictureHeader> PictureHeader::Bmp(std::span<const uint8_t> head) {
  if (head.size() < 26) return std::nullopt;
  if (Le32(head, 14) == 12) return Sized(Le16(head, 18), Le16(head, 20));
  return Sized(static_cast<int32_t>(Le32(head, 18)), std::abs(int64_t{static_cast<int32_t>(Le32(head, 22))}));
}

std::optional<PictureHeader> PictureHeader::Gif(std::span<const uint8_t> head) {
  if (head.size() < 10) return std::nullopt;
  return Sized(Le16(head, 6), Le16(head, 8));
}

std::optional<PictureHeader> PictureHeader::Png(std::span<const uint8_t> head) {
  if (head.size() < 24 || std::memcmp(head.data() + 12, "IHDR", 4) != 0) return std::nullopt;
  return Sized(Be32(head, 16), Be32(head, 20));
}

}  // namespace formats
