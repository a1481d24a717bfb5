#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace formats {

// The segments of a JPEG's header, read from the file's bytes with every
// length checked against what is there: a hostile file can't lead the walk
// outside them.
class JpegSegments {
 public:
  // Called with each segment's marker (the byte after 0xFF) and its payload,
  // cut short where the data ends; returns false to stop.
  using Visit = std::function<bool(uint8_t marker, std::span<const uint8_t> payload)>;

  // From the start of image up to the start of the scan, the end of the image
  // or the first thing that is no segment.
  static void Walk(std::span<const uint8_t> file, const Visit& visit);

  static uint32_t BigEndian16(std::span<const uint8_t> bytes, size_t at) {
    return (static_cast<uint32_t>(bytes[at]) << 8) | bytes[at + 1];
  }
};

}  // namespace formats
