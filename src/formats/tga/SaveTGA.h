#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "platform/base/ByteBuffer.h"
#include "platform/base/ByteSink.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/PictureSurface.h"

// Writes the picture a surface shows as a 24-bit Targa file, uncompressed or
// run-length encoded. Nothing is caught: every error reaches the caller.
class SaveTGA {
 public:
  // Replaces a file of that name only once the new one is complete; a failed
  // save leaves it as it was. A surface wider or higher than 32767 pixels
  // fails with overflow (6), an empty one with invalid argument (5), both
  // before any file is touched.
  void SaveTGAinFile(const std::string& FileName, gdi::PictureSurface& Pic, bool Compress);

  // The whole file for W x H pixels (bottom row first, blue, green, red, rows
  // unpadded) into the sink.
  static void EncodeTGA(platform::ByteSink& sink, std::span<const uint8_t> pixels, int32_t W, int32_t H,
                        bool Compress);

 private:
  static void CopyByteArray(std::span<const uint8_t> source, std::span<uint8_t> destination);
  static int ReadPictureBits(platform::ByteBuffer& capture, gdi::HDC memoryDC, gdi::HBITMAP dib, int32_t H,
                             int32_t W);
  void WriteTGA(const std::string& FileName, std::span<const uint8_t> pixels, int32_t W, int32_t H);
  static platform::ByteBuffer CompressRLE(std::span<const uint8_t> pixels, int32_t W);

  void MeasureInPixels(gdi::PictureSurface& Pic);
  platform::ByteBuffer CapturePixels(gdi::PictureSurface& Pic);
  void RemoveRowPadding(platform::ByteBuffer& capture, size_t stride);
  static void CheckSize(int32_t W, int32_t H);
  static constexpr size_t kHeaderBytes = 18;

  static std::array<uint8_t, kHeaderBytes> Header(int32_t W, int32_t H, bool Compress);
  static gdi::BITMAPINFO DibHeader(int32_t W, int32_t H);
  static uint8_t* EncodeRow(const uint8_t* row, int32_t W, uint8_t* out);

  bool compress_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
};
