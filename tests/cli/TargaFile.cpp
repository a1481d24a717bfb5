#include "cli/TargaFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

int Word(const std::vector<uint8_t>& bytes, size_t at) { return bytes[at] | (bytes[at + 1] << 8); }

Rgb PixelAt(const std::vector<uint8_t>& bytes, size_t at) {
  if (at + 3 > bytes.size()) throw std::runtime_error("Targa data ends early");
  return MakeRgb(bytes[at + 2], bytes[at + 1], bytes[at]);
}

// Bottom row first, as the file stores them.
std::vector<Rgb> Unpack(const std::vector<uint8_t>& bytes, size_t count, bool rle) {
  std::vector<Rgb> pixels;
  size_t at = 18;
  while (pixels.size() < count) {
    if (!rle) {
      pixels.push_back(PixelAt(bytes, at));
      at += 3;
      continue;
    }
    if (at >= bytes.size()) throw std::runtime_error("Targa packets end early");
    const uint8_t header = bytes[at++];
    const size_t n = (header & 0x7F) + 1u;
    for (size_t i = 0; i < n; ++i) {
      pixels.push_back(PixelAt(bytes, at));
      if (!(header & 0x80)) at += 3;
    }
    if (header & 0x80) at += 3;
  }
  if (pixels.size() != count || at != bytes.size()) throw std::runtime_error("Targa size mismatch");
  return pixels;
}

}  // namespace

TargaFile TargaFile::Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("can't open " + path.string());
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.size() < 18) throw std::runtime_error("no Targa header");
  TargaFile tga;
  tga.type = bytes[2];
  tga.width = Word(bytes, 12);
  tga.height = Word(bytes, 14);
  tga.depth = bytes[16];
  tga.descriptor = bytes[17];
  if ((tga.type != 2 && tga.type != 10) || tga.depth != 24 || bytes[0] != 0 || bytes[1] != 0) {
    throw std::runtime_error("not a 24-bit true-colour Targa file");
  }
  const size_t count = static_cast<size_t>(tga.width) * tga.height;
  std::vector<Rgb> bottomUp = Unpack(bytes, count, tga.type == 10);
  tga.pixels.resize(count);
  for (int y = 0; y < tga.height; ++y) {
    std::copy_n(bottomUp.begin() + static_cast<long>(y) * tga.width, tga.width,
                tga.pixels.begin() + static_cast<long>(tga.height - 1 - y) * tga.width);
  }
  return tga;
}
