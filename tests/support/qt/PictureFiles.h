#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Picture.h"

// Small picture files for tests, and pixel access to decoded bitmaps.
class PictureFiles {
 public:
  // A picture whose every pixel differs from its neighbours, so a misplaced
  // row or column or swapped channels show.
  static QImage Pattern(int width, int height);
  static QRgb PatternPixel(int x, int y);
  // The pattern as a decoded picture, as surfaces are given one.
  static gdi::PicturePtr PatternPicture(int width, int height);

  // Through Qt's writers ("BMP", "PNG", "JPG"); quality as QImage::save takes it.
  static void Save(const QImage& image, const std::filesystem::path& path, const char* format,
                   int quality = -1);
  // A GIF of up to four palette colours, written by hand: Qt reads GIF but can't write it.
  static void WriteGif(const std::filesystem::path& path, int width, int height,
                       const std::vector<QRgb>& palette, const std::vector<uint8_t>& indices);
  static void WriteBytes(const std::filesystem::path& path, const QByteArray& bytes);
  // A JPEG whose Huffman table can't be right: the program's reader gives up,
  // and the toolkit's, tried next, logs why before it fails too.
  static void WriteBogusJpeg(const std::filesystem::path& path);
  // The 54-byte header of a 24-bit BMP claiming this size, without any pixels.
  static QByteArray BmpHeader(int32_t width, int32_t height);
  // A small JPEG of `image` whose frame header is made to claim width x height.
  static QByteArray JpegClaiming(const QImage& image, uint16_t width, uint16_t height);

  static QRgb PixelOf(const gdi::Bitmap& bitmap, int x, int y);
};
