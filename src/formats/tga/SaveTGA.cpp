#include "formats/tga/SaveTGA.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Checked.h"
#include "platform/base/Convert.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Gdi.h"

using platform::AppError;
using platform::ByteBuffer;
namespace ErrorNumber = platform::ErrorNumber;

namespace {

constexpr uint8_t kUncompressedTrueColour = 2;
constexpr uint8_t kRunLengthTrueColour = 10;
constexpr uint8_t kBitsPerPixel = 24;
constexpr int32_t kMaxPacketPixels = 128;

inline bool SamePixel(const uint8_t* a, const uint8_t* b) {
  return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

// The first pixel j in [from, to) that equals pixel j + 1, or `to` when there
// is none; `to` is at most the row's last pixel. Five pixels at a time where
// the loads stay inside the row: byte i of the mask says whether byte i equals
// the byte three further on, and a pixel matches when its three bytes do.
int32_t FirstEqualNeighbour(const uint8_t* row, int32_t from, int32_t to) {
  int32_t j = from;
#if defined(__SSE2__)
  for (; j + 6 <= to; j += 5) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 3 * static_cast<size_t>(j)));
    const __m128i next =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 3 * static_cast<size_t>(j) + 3));
    const auto mask = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, next)));
    const uint32_t pixels = mask & (mask >> 1) & (mask >> 2) & 0x1249;
    if (pixels) return j + __builtin_ctz(pixels) / 3;
  }
#endif
  for (; j < to; ++j) {
    if (SamePixel(row + 3 * static_cast<size_t>(j), row + 3 * static_cast<size_t>(j) + 3)) return j;
  }
  return to;
}

// Equal pixels from `first` on, at least two, at most `limit`.
int32_t RunLength(const uint8_t* first, int32_t limit) {
  int32_t n = 2;
  while (n < limit && SamePixel(first, first + 3 * static_cast<size_t>(n))) ++n;
  return n;
}

// Pixels of a raw packet from x: up to the first that equals its right-hand
// neighbour; the row's last pixel has none and is always taken.
int32_t RawLength(const uint8_t* row, int32_t x, int32_t limit, int32_t W) {
  const int32_t stop = std::min(x + limit, W - 1);
  const int32_t equal = FirstEqualNeighbour(row, x + 1, stop);
  return equal < stop ? equal - x : limit;
}

inline void PutLittleEndian16(uint8_t* at, int16_t value) {
  at[0] = static_cast<uint8_t>(value & 0xFF);
  at[1] = static_cast<uint8_t>((static_cast<uint16_t>(value) >> 8) & 0xFF);
}

}  // namespace

void SaveTGA::SaveTGAinFile(const std::string& FileName, gdi::PictureSurface& Pic, bool Compress) {
  compress_ = Compress;
  MeasureInPixels(Pic);
  ByteBuffer pixels = CapturePixels(Pic);
  WriteTGA(FileName, pixels.Span(), width_, height_);
}

void SaveTGA::EncodeTGA(platform::ByteSink& sink, std::span<const uint8_t> pixels, int32_t W, int32_t H,
                        bool Compress) {
  CheckSize(W, H);
  if (pixels.size() != 3 * static_cast<size_t>(W) * static_cast<size_t>(H)) {
    throw AppError::Standard(ErrorNumber::InvalidArgument);
  }
  const auto header = Header(W, H, Compress);
  if (!Compress) {
    sink.Write(header);
    sink.Write(pixels);
    return;
  }
  ByteBuffer packets = CompressRLE(pixels, W);
  sink.Write(header);
  sink.Write(packets.Span());
}

void SaveTGA::CopyByteArray(std::span<const uint8_t> source, std::span<uint8_t> destination) {
  // Source and destination may overlap when rows close up in place.
  std::memmove(destination.data(), source.data(), std::min(source.size(), destination.size()));
}

int SaveTGA::ReadPictureBits(ByteBuffer& capture, gdi::HDC memoryDC, gdi::HBITMAP dib, int32_t H, int32_t W) {
  gdi::BITMAPINFO header = DibHeader(W, H);
  return gdi::GetDIBits(memoryDC, dib, 0, static_cast<uint32_t>(H), capture.Data(), &header,
                        gdi::DIB_RGB_COLORS);
}

void SaveTGA::WriteTGA(const std::string& FileName, std::span<const uint8_t> pixels, int32_t W, int32_t H) {
  platform::AtomicFile file(FileName);
  EncodeTGA(file, pixels, W, H, compress_);
  file.Commit();
}

// Rows are encoded on their own: a packet never joins the end of one row to
// the start of the next.
ByteBuffer SaveTGA::CompressRLE(std::span<const uint8_t> pixels, int32_t W) {
  const size_t n = pixels.size();
  if (n == 0) return ByteBuffer(0);
  // More than the worst case (every pixel a one-pixel raw packet); only the
  // pages written are ever taken from the system.
  auto packets =
      ByteBuffer::ForFileOffset(2 * (n - 1) + 2 * ((n - 1) / static_cast<size_t>(W)) + 1, kHeaderBytes);
  const size_t rowBytes = 3 * static_cast<size_t>(W);
  uint8_t* out = packets.Data();
  for (size_t row = 0; row + rowBytes <= n; row += rowBytes) out = EncodeRow(pixels.data() + row, W, out);
  packets.Shrink(static_cast<size_t>(out - packets.Data()));
  return packets;
}

// A run covers two or more equal pixels; a raw packet stops before a pixel
// that equals its right-hand neighbour, which starts the next run.
uint8_t* SaveTGA::EncodeRow(const uint8_t* row, int32_t W, uint8_t* out) {
  int32_t x = 0;
  while (x < W) {
    const uint8_t* first = row + 3 * static_cast<size_t>(x);
    const int32_t limit = std::min(kMaxPacketPixels, W - x);
    if (limit > 1 && SamePixel(first, first + 3)) {
      const int32_t n = RunLength(first, limit);
      *out++ = static_cast<uint8_t>(127 + n);
      std::memcpy(out, first, 3);
      out += 3;
      x += n;
    } else {
      const int32_t n = RawLength(row, x, limit, W);
      *out++ = static_cast<uint8_t>(n - 1);
      std::memcpy(out, first, 3 * static_cast<size_t>(n));
      out += 3 * n;
      x += n;
    }
  }
  return out;
}

// Both units go back even when the size turns out unusable.
void SaveTGA::MeasureInPixels(gdi::PictureSurface& Pic) {
  gdi::ScaleContainer& parent = Pic.Parent();
  const int16_t parentMode = parent.ScaleMode();
  const int16_t picMode = Pic.ScaleMode();
  parent.SetScaleMode(gdi::vbPixels);
  Pic.SetScaleMode(gdi::vbPixels);
  const float height = Pic.ScaleHeight();
  const float width = Pic.ScaleWidth();
  parent.SetScaleMode(parentMode);
  Pic.SetScaleMode(picMode);
  height_ = convert::RoundToInt32(height);
  width_ = convert::RoundToInt32(width);
  CheckSize(width_, height_);
}

// A capture that fails raises an error instead of saving a black picture.
ByteBuffer SaveTGA::CapturePixels(gdi::PictureSurface& Pic) {
  const size_t stride = gdi::Bitmap::StrideFor(width_);
  auto capture = ByteBuffer::Reusable(stride * static_cast<size_t>(height_), kHeaderBytes);
  gdi::BITMAPINFO header = DibHeader(width_, height_);
  gdi::HDC memoryDC = gdi::CreateCompatibleDC(Pic.hDC());
  // The section's pixels live in the capture buffer itself: one fresh buffer
  // and one pass over the picture fewer, and GetDIBits finds its rows in place.
  gdi::HBITMAP dib =
      gdi::CreateDIBSection(memoryDC, &header, gdi::DIB_RGB_COLORS, nullptr, capture.Data(), 0);
  if (!dib) {
    gdi::DeleteDC(memoryDC);
    throw AppError::Standard(ErrorNumber::OutOfMemory);
  }
  gdi::SelectObject(memoryDC, dib);
  gdi::BitBlt(memoryDC, 0, 0, width_, height_, Pic.hDC(), 0, 0, gdi::SRCCOPY);
  const int lines = ReadPictureBits(capture, memoryDC, dib, height_, width_);
  RemoveRowPadding(capture, stride);
  gdi::DeleteDC(memoryDC);
  gdi::DeleteObject(dib);
  if (lines != height_) throw AppError::Standard(ErrorNumber::InvalidArgument);
  return capture;
}

// The capture buffer becomes the pixel buffer: without padding its bytes are
// already the file's, otherwise each row moves down over the padding before it.
void SaveTGA::RemoveRowPadding(ByteBuffer& capture, size_t stride) {
  const size_t rowBytes = 3 * static_cast<size_t>(width_);
  if (rowBytes == stride) return;
  for (size_t r = 1; r < static_cast<size_t>(height_); ++r) {
    CopyByteArray(capture.Span().subspan(r * stride, rowBytes),
                  capture.Span().subspan(r * rowBytes, rowBytes));
  }
  capture.Shrink(rowBytes * static_cast<size_t>(height_));
}

void SaveTGA::CheckSize(int32_t W, int32_t H) {
  checked::ToInt16(W);
  checked::ToInt16(H);
  if (W <= 0 || H <= 0) throw AppError::Standard(ErrorNumber::InvalidArgument);
}

// 16-bit fields little-endian; no image ID, no colour map, origin bottom left.
std::array<uint8_t, SaveTGA::kHeaderBytes> SaveTGA::Header(int32_t W, int32_t H, bool Compress) {
  std::array<uint8_t, kHeaderBytes> header{};
  header[2] = Compress ? kRunLengthTrueColour : kUncompressedTrueColour;
  PutLittleEndian16(&header[12], checked::ToInt16(W));
  PutLittleEndian16(&header[14], checked::ToInt16(H));
  header[16] = kBitsPerPixel;
  return header;
}

gdi::BITMAPINFO SaveTGA::DibHeader(int32_t W, int32_t H) {
  gdi::BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(gdi::BITMAPINFOHEADER);
  info.bmiHeader.biWidth = W;
  info.bmiHeader.biHeight = H;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = kBitsPerPixel;
  info.bmiHeader.biCompression = gdi::BI_RGB;
  return info;
}
