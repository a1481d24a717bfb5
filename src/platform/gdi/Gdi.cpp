#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <cstring>

namespace gdi {

struct Window {};

namespace {

Window desktop;

DeviceContext& ScreenContext() {
  static DeviceContext* screen = new DeviceContext(nullptr);
  return *screen;
}

// One axis of a copy, clipped to both bitmaps. Works in 64 bits so no
// coordinate the caller passes can overflow.
struct Span {
  int64_t dest, src, length;
};

Span Clip(int64_t dest, int64_t src, int64_t length, int64_t destSize, int64_t srcSize) {
  if (dest < 0) {
    src -= dest;
    length += dest;
    dest = 0;
  }
  if (src < 0) {
    dest -= src;
    length += src;
    src = 0;
  }
  length = std::min({length, destSize - dest, srcSize - src});
  return {dest, src, std::max<int64_t>(length, 0)};
}

void CopyRows(Bitmap& dest, const Span& x, const Span& y, const Bitmap& src) {
  uint8_t* destBase = dest.MutableBits();
  const uint8_t* srcBase = src.Bits();
  size_t bytes = 3 * static_cast<size_t>(x.length);
  auto copyRow = [&](int64_t r) {
    std::memmove(destBase + dest.RowOffset(static_cast<int32_t>(y.dest + r)) + 3 * x.dest,
                 srcBase + src.RowOffset(static_cast<int32_t>(y.src + r)) + 3 * x.src, bytes);
  };
  // Within one bitmap, walk so that no source row is overwritten before it is read.
  bool backwards = &dest == &src && y.dest > y.src;
  if (backwards) {
    for (int64_t r = y.length - 1; r >= 0; --r) copyRow(r);
  } else {
    for (int64_t r = 0; r < y.length; ++r) copyRow(r);
  }
}

bool ValidDibHeader(const BITMAPINFO* bmi) {
  if (!bmi) return false;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  return h.biBitCount == 24 && h.biCompression == BI_RGB && h.biPlanes == 1 && h.biWidth > 0 &&
         h.biHeight != 0 && h.biHeight != INT32_MIN;
}

struct ClipboardState {
  ClipboardSink sink;
  bool open = false;
};

ClipboardState& Clipboard() {
  static ClipboardState state;
  return state;
}

}  // namespace

HDC CreateCompatibleDC(HDC) { return new DeviceContext(); }

bool DeleteDC(HDC hdc) {
  if (!hdc || hdc->IsSurfaceContext()) return false;
  delete hdc;
  return true;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* bmi, uint32_t usage, void** ppvBits, HANDLE hSection,
                         uint32_t offset) {
  if (ppvBits) *ppvBits = nullptr;
  if (usage != DIB_RGB_COLORS || !ValidDibHeader(bmi)) return nullptr;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  auto bitmap = hSection ? Bitmap::Over(static_cast<uint8_t*>(hSection) + offset, h.biWidth,
                                        std::abs(h.biHeight), h.biHeight > 0)
                         : Bitmap::Create(h.biWidth, std::abs(h.biHeight), h.biHeight > 0);
  if (!bitmap) return nullptr;
  if (ppvBits) *ppvBits = bitmap->MutableBits();
  return bitmap.release();
}

HBITMAP CreateCompatibleBitmap(HDC, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0) return nullptr;
  return Bitmap::Create(width, height, false).release();
}

HPEN CreatePen(int style, int width, COLORREF colour) { return new Pen(style, width, colour); }

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  if (!hdc || !object) return nullptr;
  return hdc->Select(object);
}

bool DeleteObject(HGDIOBJ object) {
  if (!object || object->IsSelected()) return false;
  if (!object->IsStock()) delete object;
  return true;
}

int GetObject(HGDIOBJ object, int size, void* out) {
  auto* bitmap = dynamic_cast<Bitmap*>(object);
  if (!bitmap || !out || size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP info;
  info.bmWidth = bitmap->Width();
  info.bmHeight = bitmap->Height();
  info.bmWidthBytes = static_cast<int32_t>(bitmap->Stride());
  info.bmPlanes = 1;
  info.bmBitsPixel = 24;
  info.bmBits = bitmap->BottomUp() ? const_cast<uint8_t*>(bitmap->Bits()) : nullptr;
  std::memcpy(out, &info, sizeof info);
  return static_cast<int>(sizeof info);
}

bool BitBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t srcX,
            int32_t srcY, uint32_t rop) {
  if (!dest || !src || rop != SRCCOPY) return false;
  Bitmap& to = *dest->SelectedBitmap();
  const Bitmap& from = *src->SelectedBitmap();
  Span xs = Clip(x, srcX, width, to.Width(), from.Width());
  Span ys = Clip(y, srcY, height, to.Height(), from.Height());
  if (xs.length == 0 || ys.length == 0) return true;
  CopyRows(to, xs, ys, from);
  dest->NotifyChanged({static_cast<int32_t>(xs.dest), static_cast<int32_t>(ys.dest),
                       static_cast<int32_t>(xs.dest + xs.length), static_cast<int32_t>(ys.dest + ys.length)});
  return true;
}

int GetDIBits(HDC, HBITMAP bitmap, uint32_t startScan, uint32_t scanLines, void* bits, BITMAPINFO* bmi,
              uint32_t usage) {
  if (!bitmap || !bits || usage != DIB_RGB_COLORS || !ValidDibHeader(bmi)) return 0;
  const BITMAPINFOHEADER& h = bmi->bmiHeader;
  const int64_t height = bitmap->Height();
  if (startScan >= height) return 0;
  const int64_t lines = std::min<int64_t>(scanLines, height - startScan);
  const size_t outStride = Bitmap::StrideFor(h.biWidth);
  const size_t rowBytes = 3 * static_cast<size_t>(std::min(h.biWidth, bitmap->Width()));
  auto* out = static_cast<uint8_t*>(bits);
  // Scan line 0 is the bottom row; a negative header height asks for top-down output.
  for (int64_t i = 0; i < lines; ++i) {
    int64_t scan = startScan + i;
    auto pictureRow = static_cast<int32_t>(height - 1 - scan);
    int64_t outRow = h.biHeight > 0 ? i : lines - 1 - i;
    uint8_t* to = out + outRow * outStride;
    // A section laid over the caller's buffer already holds the rows there.
    if (to != bitmap->Row(pictureRow)) std::memcpy(to, bitmap->Row(pictureRow), rowBytes);
  }
  return static_cast<int>(lines);
}

bool Rectangle(HDC hdc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (!hdc) return false;
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  if (right - static_cast<int64_t>(left) < 1 || bottom - static_cast<int64_t>(top) < 1) return true;
  Bitmap& bitmap = *hdc->SelectedBitmap();
  COLORREF colour = hdc->SelectedPen()->Colour();
  const Rect edges[4] = {{left, top, right, top + 1},
                         {left, bottom - 1, right, bottom},
                         {left, top, left + 1, bottom},
                         {right - 1, top, right, bottom}};
  const Rect bounds{0, 0, bitmap.Width(), bitmap.Height()};
  for (const Rect& edge : edges) {
    Rect clipped{std::max(edge.left, bounds.left), std::max(edge.top, bounds.top),
                 std::min(edge.right, bounds.right), std::min(edge.bottom, bounds.bottom)};
    if (clipped.Empty()) continue;
    bitmap.FillRect(clipped, colour);
    hdc->NotifyChanged(clipped);
  }
  hdc->NotifyOutline({left, top, right, bottom}, colour);
  return true;
}

HWND GetDesktopWindow() { return &desktop; }

HDC GetDC(HWND) { return &ScreenContext(); }

int ReleaseDC(HWND, HDC hdc) { return hdc == &ScreenContext() ? 1 : 0; }

void SetClipboardSink(ClipboardSink sink) { Clipboard().sink = std::move(sink); }

bool OpenClipboard(HWND) {
  ClipboardState& state = Clipboard();
  if (!state.sink || state.open) return false;
  state.open = true;
  return true;
}

bool EmptyClipboard() { return Clipboard().open; }

HANDLE SetClipboardData(uint32_t format, HANDLE data) {
  ClipboardState& state = Clipboard();
  auto* bitmap = static_cast<Bitmap*>(data);
  if (!state.open || format != CF_BITMAP || !bitmap || bitmap->IsSelected()) return nullptr;
  bool taken = state.sink(*bitmap);
  // The clipboard keeps its own copy of the pixels; our object has served.
  delete bitmap;
  return taken ? data : nullptr;
}

bool CloseClipboard() {
  ClipboardState& state = Clipboard();
  bool wasOpen = state.open;
  state.open = false;
  return wasOpen;
}

}  // namespace gdi
