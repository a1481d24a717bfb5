#include "formats/PictureHeader.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "formats/PictureFile.h"
#include "formats/PictureLimits.h"
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
  return PictureHeader{width, height, orientation, 0, 0};
}

// Progressive frames, Huffman or arithmetic coded, with or without
// differences: the decoder buffers the whole picture's coefficients.
bool Progressive(uint8_t marker) {
  return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

uint64_t Up(uint64_t n, uint64_t step) { return (n + step - 1) / step; }

// Each component's blocks, its sides padded to whole groups of its sampling
// as libjpeg pads them, at 64 coefficients of two bytes.
uint64_t CoefficientBytes(std::span<const uint8_t> frame, int64_t width, int64_t height) {
  const size_t components = frame.size() > 5 ? frame[5] : 0;
  if (frame.size() < 6 + 3 * components) return 0;
  auto across = [&](size_t c) { return std::max(1u, static_cast<unsigned>(frame[7 + 3 * c] >> 4)); };
  auto down = [&](size_t c) { return std::max(1u, static_cast<unsigned>(frame[7 + 3 * c] & 15)); };
  unsigned hMax = 1, vMax = 1;
  for (size_t c = 0; c < components; ++c) {
    hMax = std::max(hMax, across(c));
    vMax = std::max(vMax, down(c));
  }
  uint64_t bytes = 0;
  for (size_t c = 0; c < components; ++c) {
    const unsigned h = across(c), v = down(c);
    const uint64_t columns = Up(Up(static_cast<uint64_t>(width) * h, hMax), 8);
    const uint64_t rows = Up(Up(static_cast<uint64_t>(height) * v, vMax), 8);
    bytes += Up(columns, h) * h * Up(rows, v) * v * 64 * 2;
  }
  return bytes;
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
    if (header && Progressive(marker))
      header->workingBytes = CoefficientBytes(payload, header->width, header->height);
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

namespace {

// Whether the chunks before the pixels (as far as the head holds them) give a transparent colour.
bool PngTransparent(std::span<const uint8_t> head) {
  for (size_t at = 8; at + 8 <= head.size();) {
    const uint64_t length = Be32(head, at);
    if (std::memcmp(head.data() + at + 4, "tRNS", 4) == 0) return true;
    if (std::memcmp(head.data() + at + 4, "IDAT", 4) == 0) break;
    at += 12 + length;
  }
  return false;
}

}  // namespace

// An interlaced picture's passes each cover the whole picture, so the decoder
// keeps every row it has, three bytes a pixel, four where any is transparent.
std::optional<PictureHeader> PictureHeader::Png(std::span<const uint8_t> head) {
  if (head.size() < 24 || std::memcmp(head.data() + 12, "IHDR", 4) != 0) return std::nullopt;
  // Sides past 2^31 - 1 are no PNG's, and their product no 64-bit number's.
  const uint32_t width = Be32(head, 16), height = Be32(head, 20);
  if (width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  std::optional<PictureHeader> header = Sized(width, height);
  const int64_t pixels = header ? header->width * header->height : 0;
  if (header && head.size() > 28 && head[28] != 0 && pixels <= kMaxPicturePixels) {
    const uint8_t colour = head[25];
    const bool alpha = colour == 4 || colour == 6 || PngTransparent(head);
    header->workingBytes = static_cast<uint64_t>(pixels) * (alpha ? 4 : 3);
  }
  return header;
}

}  // namespace formats
