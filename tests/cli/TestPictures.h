#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Bitmap.h"

// A colour as 0xAARRGGBB with the alpha opaque, the form pixel checks compare.
using Rgb = uint32_t;
constexpr Rgb MakeRgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}
constexpr int RedOf(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
constexpr int GreenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Rgb c) { return static_cast<int>(c & 0xFF); }

// A picture in memory, black until drawn on.
class TestImage {
 public:
  TestImage(int width, int height);
  explicit TestImage(std::unique_ptr<gdi::Bitmap> bitmap) : bitmap_(std::move(bitmap)) {}

  int Width() const { return bitmap_ ? bitmap_->Width() : 0; }
  int Height() const { return bitmap_ ? bitmap_->Height() : 0; }
  bool Null() const { return !bitmap_; }
  Rgb Pixel(int x, int y) const;
  void SetPixel(int x, int y, Rgb colour);
  const gdi::Bitmap& Bitmap() const { return *bitmap_; }

  // Decoded by the program's own readers; a null picture when they can't.
  static TestImage Read(const std::filesystem::path& path);

 private:
  std::unique_ptr<gdi::Bitmap> bitmap_;
};

// Small picture files for the command line's tests, written without a
// toolkit: by hand, by the program's own writers or by Pillow.
class TestPictures {
 public:
  // A picture whose every pixel differs from its neighbours, so a misplaced
  // row or column or swapped channels show.
  static TestImage Pattern(int width, int height);
  static Rgb PatternPixel(int x, int y);

  // "BMP" (24-bit, by hand), "PNG" or "JPG" (the program's writers, at `quality`).
  static void Save(const TestImage& image, const std::filesystem::path& path, const std::string& format,
                   int quality = 90);
  // A GIF of up to four palette colours, through Pillow.
  static void WriteGif(const std::filesystem::path& path, int width, int height,
                       const std::vector<Rgb>& palette, const std::vector<uint8_t>& indices);
  static void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
  static std::string ReadBytes(const std::filesystem::path& path);
  // A JPEG whose Huffman table can't be right: the program's reader gives up,
  // and the toolkit's, tried next, logs why before it fails too.
  static void WriteBogusJpeg(const std::filesystem::path& path);
};
