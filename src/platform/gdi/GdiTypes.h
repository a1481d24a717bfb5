#pragma once

#include <cstdint>

// The records and constants of the drawing interface the program is written against.
namespace gdi {

using COLORREF = uint32_t;  // 0x00BBGGRR

constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t BI_RGB = 0;
constexpr int PS_SOLID = 0;
constexpr uint32_t CF_BITMAP = 2;

constexpr uint8_t RedOf(COLORREF c) { return static_cast<uint8_t>(c & 0xFF); }
constexpr uint8_t GreenOf(COLORREF c) { return static_cast<uint8_t>((c >> 8) & 0xFF); }
constexpr uint8_t BlueOf(COLORREF c) { return static_cast<uint8_t>((c >> 16) & 0xFF); }
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

struct BITMAPINFOHEADER {
  uint32_t biSize = 0;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 0;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
  uint8_t rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct BITMAP {
  int32_t bmType = 0;
  int32_t bmWidth = 0;
  int32_t bmHeight = 0;
  int32_t bmWidthBytes = 0;
  uint16_t bmPlanes = 0;
  uint16_t bmBitsPixel = 0;
  void* bmBits = nullptr;
};

// A rectangle of pixels, right and bottom exclusive.
struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const Rect&) const = default;
};

class GdiObject;
class Bitmap;
class Pen;
class DeviceContext;
struct Window;

using HGDIOBJ = GdiObject*;
using HBITMAP = Bitmap*;
using HPEN = Pen*;
using HDC = DeviceContext*;
using HWND = Window*;
using HANDLE = void*;

}  // namespace gdi
