#pragma once

#include <functional>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Pen.h"

// The drawing calls the program makes, with the shapes it makes them in.
// Every bitmap is 24-bit; pixels move in whole rows.
namespace gdi {

HDC CreateCompatibleDC(HDC hdc);
bool DeleteDC(HDC hdc);

// A DIB section of the header's size: bottom-up when biHeight is positive.
// Only 24-bit BI_RGB headers are supported. *ppvBits receives the pixel memory.
// hSection, when given, is memory of the caller's that the section's pixels
// live in from `offset` on; it must outlive the section.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* bmi, uint32_t usage, void** ppvBits, HANDLE hSection,
                         uint32_t offset);
HBITMAP CreateCompatibleBitmap(HDC hdc, int32_t width, int32_t height);
HPEN CreatePen(int style, int width, COLORREF colour);

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
bool DeleteObject(HGDIOBJ object);
// Fills a BITMAP for a bitmap; returns the bytes written, 0 for anything else.
int GetObject(HGDIOBJ object, int size, void* out);

// SRCCOPY only; the rectangle is clipped to both bitmaps, and what lies
// outside the source is not written.
bool BitBlt(HDC dest, int32_t x, int32_t y, int32_t width, int32_t height, HDC src, int32_t srcX,
            int32_t srcY, uint32_t rop);
// Copies scan lines of the bitmap into 24-bit rows of the header's layout.
int GetDIBits(HDC hdc, HBITMAP bitmap, uint32_t startScan, uint32_t scanLines, void* bits, BITMAPINFO* bmi,
              uint32_t usage);
// Outline with the selected pen; right and bottom are exclusive.
bool Rectangle(HDC hdc, int32_t left, int32_t top, int32_t right, int32_t bottom);

HWND GetDesktopWindow();
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC hdc);

// The clipboard hands bitmaps to whatever sink the window layer installs;
// without one it cannot be opened.
using ClipboardSink = std::function<bool(const Bitmap&)>;
void SetClipboardSink(ClipboardSink sink);
bool OpenClipboard(HWND owner);
bool EmptyClipboard();
// CF_BITMAP only; the clipboard owns the bitmap from then on.
HANDLE SetClipboardData(uint32_t format, HANDLE data);
bool CloseClipboard();

}  // namespace gdi
