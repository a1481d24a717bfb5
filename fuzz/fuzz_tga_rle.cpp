// The Targa run-length encoder, checked by decoding what it wrote: the packets
// must give back exactly the pixels, row by row, in the form the format allows.
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "formats/tga/SaveTGA.h"
#include "platform/base/MemorySink.h"

namespace {

constexpr size_t kHeader = 18;

void Require(bool condition) {
  if (!condition) std::abort();
}

// Decodes the packets of a W x H picture, requiring each row to end on a packet boundary.
std::vector<uint8_t> DecodePackets(std::span<const uint8_t> packets, size_t width, size_t height) {
  std::vector<uint8_t> pixels;
  size_t at = 0;
  for (size_t row = 0; row < height; ++row) {
    size_t done = 0;
    while (done < width) {
      Require(at < packets.size());
      const uint8_t head = packets[at++];
      Require(head != 0x80);
      const size_t count = (head & 0x7F) + 1;
      Require(done + count <= width);
      const size_t bytes = head & 0x80 ? 3 : 3 * count;
      Require(at + bytes <= packets.size());
      for (size_t i = 0; i < count; ++i) {
        const uint8_t* pixel = &packets[at + (head & 0x80 ? 0 : 3 * i)];
        pixels.insert(pixels.end(), pixel, pixel + 3);
      }
      at += bytes;
      done += count;
    }
  }
  Require(at == packets.size());
  return pixels;
}

uint16_t Field(const std::vector<uint8_t>& file, size_t at) { return file[at] | (file[at + 1] << 8); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t width = 1 + (data[0] | ((data[1] & 0x0F) << 8));
  const size_t height = (size - 2) / (3 * width);
  if (height == 0) return 0;
  std::span<const uint8_t> pixels(data + 2, 3 * width * height);

  platform::MemorySink sink;
  SaveTGA::EncodeTGA(sink, pixels, static_cast<int32_t>(width), static_cast<int32_t>(height), true);
  const std::vector<uint8_t>& file = sink.Bytes();
  Require(file.size() >= kHeader && file[2] == 10 && file[16] == 24);
  Require(Field(file, 12) == width && Field(file, 14) == height);
  std::vector<uint8_t> decoded = DecodePackets(std::span(file).subspan(kHeader), width, height);
  Require(decoded.size() == pixels.size() && std::memcmp(decoded.data(), pixels.data(), pixels.size()) == 0);

  sink.Clear();
  SaveTGA::EncodeTGA(sink, pixels, static_cast<int32_t>(width), static_cast<int32_t>(height), false);
  Require(sink.Bytes().size() == kHeader + pixels.size() &&
          std::memcmp(sink.Bytes().data() + kHeader, pixels.data(), pixels.size()) == 0);
  return 0;
}
