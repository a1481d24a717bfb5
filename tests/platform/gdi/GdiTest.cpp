#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/base/AppError.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/MemorySurface.h"

using namespace gdi;

namespace {

// Paints every pixel with a colour made from its position, so any misplaced
// row or column shows.
void Paint(Bitmap& b) {
  for (int32_t y = 0; y < b.Height(); ++y) {
    uint8_t* row = b.MutableRow(y);
    for (int32_t x = 0; x < b.Width(); ++x) {
      row[3 * x] = static_cast<uint8_t>(x);
      row[3 * x + 1] = static_cast<uint8_t>(y);
      row[3 * x + 2] = static_cast<uint8_t>(x + y);
    }
  }
}

COLORREF PixelAt(const Bitmap& b, int32_t x, int32_t y) {
  const uint8_t* p = b.Row(y) + 3 * x;
  return RGB(p[2], p[1], p[0]);
}

COLORREF Painted(int32_t x, int32_t y) {
  return RGB(static_cast<uint8_t>(x + y), static_cast<uint8_t>(y), static_cast<uint8_t>(x));
}

BITMAPINFO DibHeader(int32_t width, int32_t height) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = 40;
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  return bmi;
}

}  // namespace

TEST(Bitmap, RowsArePaddedToFourBytesAndBottomUpKeepsTheLastRowFirst) {
  auto b = Bitmap::Create(5, 3, true);
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Stride(), 16u);
  EXPECT_EQ(b->Row(2), b->Bits());
  EXPECT_EQ(b->Row(0), b->Bits() + 32);
  auto top = Bitmap::Create(5, 3, false);
  EXPECT_EQ(top->Row(0), top->Bits());
}

TEST(Bitmap, SharedCopyDetachesOnlyWhenWritten) {
  auto a = Bitmap::Create(4, 4, false);
  Paint(*a);
  auto b = a->ShareCopy();
  EXPECT_EQ(a->Bits(), b->Bits());
  b->FillRect({0, 0, 1, 1}, RGB(1, 2, 3));
  EXPECT_NE(a->Bits(), b->Bits());
  EXPECT_EQ(PixelAt(*a, 0, 0), Painted(0, 0));
  EXPECT_EQ(PixelAt(*b, 0, 0), RGB(1, 2, 3));
}

TEST(Bitmap, RefusesSizesWhoseBytesDoNotFitThirtyTwoBits) {
  EXPECT_FALSE(Bitmap::Create(-1, 5, true));
  EXPECT_FALSE(Bitmap::Create(40000, 40000, true));
}

TEST(BitBlt, CopiesBetweenBottomUpAndTopDownKeepingPictureRows) {
  MemorySurface surface(6, 4);
  Paint(surface.Image());
  BITMAPINFO bmi = DibHeader(6, 4);
  void* bits = nullptr;
  HDC mem = CreateCompatibleDC(surface.hDC());
  HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_TRUE(dib);
  HGDIOBJ old = SelectObject(mem, dib);
  ASSERT_TRUE(BitBlt(mem, 0, 0, 6, 4, surface.hDC(), 0, 0, SRCCOPY));
  // The DIB's first row in memory is the picture's bottom row.
  auto* first = static_cast<uint8_t*>(bits);
  EXPECT_EQ(first[0], 0);
  EXPECT_EQ(first[1], 3);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt(*dib, x, y), Painted(x, y));
  SelectObject(mem, old);
  EXPECT_TRUE(DeleteObject(dib));
  EXPECT_TRUE(DeleteDC(mem));
}

TEST(BitBlt, ClipsToBothBitmapsAndLeavesTheRestAlone) {
  MemorySurface src(10, 10);
  Paint(src.Image());
  MemorySurface dest(8, 8, RGB(9, 9, 9));
  std::vector<Rect> changed;
  dest.hDC()->SetChangeListener([&](const Rect& r) { changed.push_back(r); });

  // Starts left of and above the source: only the part inside both lands.
  ASSERT_TRUE(BitBlt(dest.hDC(), 0, 0, 5, 5, src.hDC(), -2, -3, SRCCOPY));
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0], (Rect{2, 3, 5, 5}));
  EXPECT_EQ(PixelAt(dest.Image(), 1, 4), RGB(9, 9, 9));
  EXPECT_EQ(PixelAt(dest.Image(), 2, 3), Painted(0, 0));
  EXPECT_EQ(PixelAt(dest.Image(), 4, 4), Painted(2, 1));

  // Runs past the destination's far edges.
  changed.clear();
  ASSERT_TRUE(BitBlt(dest.hDC(), 6, 6, 100, 100, src.hDC(), 0, 0, SRCCOPY));
  EXPECT_EQ(changed[0], (Rect{6, 6, 8, 8}));
  EXPECT_EQ(PixelAt(dest.Image(), 7, 7), Painted(1, 1));

  // Extreme coordinates neither overflow nor write.
  changed.clear();
  EXPECT_TRUE(
      BitBlt(dest.hDC(), INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX, src.hDC(), INT32_MIN, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dest.hDC(), 0, 0, 0, 5, src.hDC(), 0, 0, SRCCOPY));
  EXPECT_TRUE(changed.empty());
  EXPECT_FALSE(BitBlt(dest.hDC(), 0, 0, 1, 1, src.hDC(), 0, 0, 0x00EE0086));
}

TEST(BitBlt, OverlappingCopyWithinOneBitmapReadsRowsBeforeOverwritingThem) {
  for (bool bottomUp : {false, true}) {
    BITMAPINFO bmi = DibHeader(4, 6);
    if (!bottomUp) bmi.bmiHeader.biHeight = -6;
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, nullptr, nullptr, 0);
    Paint(*dib);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 1, 2, 3, 4, mem, 0, 0, SRCCOPY);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelAt(*dib, x + 1, y + 2), Painted(x, y)) << bottomUp;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
  }
}

TEST(GetDIBits, ReturnsBottomUpRowsWithPaddingOfTheHeaderWidth) {
  MemorySurface surface(5, 2);
  Paint(surface.Image());
  BITMAPINFO bmi = DibHeader(5, 2);
  std::vector<uint8_t> out(32, 0xAA);
  EXPECT_EQ(GetDIBits(surface.hDC(), surface.hDC()->SelectedBitmap(), 0, 2, out.data(), &bmi, DIB_RGB_COLORS),
            2);
  // Row 0 of the output is picture row 1.
  EXPECT_EQ(out[1], 1);
  EXPECT_EQ(out[16 + 1], 0);
  EXPECT_EQ(out[3 * 4], 4);
}

TEST(Rectangle, DrawsTheOutlineWithTheSelectedPenAndExclusiveFarCorner) {
  MemorySurface surface(10, 10, RGB(0, 0, 0));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(surface.hDC(), pen);
  ASSERT_TRUE(Rectangle(surface.hDC(), 2, 3, 7, 9));
  const Bitmap& img = surface.Image();
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) {
      bool onOutline = ((x == 2 || x == 6) && y >= 3 && y <= 8) || ((y == 3 || y == 8) && x >= 2 && x <= 6);
      EXPECT_EQ(PixelAt(img, x, y), onOutline ? RGB(255, 255, 255) : RGB(0, 0, 0)) << x << "," << y;
    }
  }
  // A pen selected into a context cannot be deleted.
  EXPECT_FALSE(DeleteObject(pen));
  SelectObject(surface.hDC(), old);
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(Rectangle, PartlyOutsideIsClipped) {
  MemorySurface surface(4, 4, RGB(0, 0, 0));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(10, 20, 30));
  HGDIOBJ old = SelectObject(surface.hDC(), pen);
  EXPECT_TRUE(Rectangle(surface.hDC(), -1, -1, 3, 3));
  EXPECT_EQ(PixelAt(surface.Image(), 2, 0), RGB(10, 20, 30));
  EXPECT_EQ(PixelAt(surface.Image(), 0, 2), RGB(10, 20, 30));
  EXPECT_EQ(PixelAt(surface.Image(), 0, 0), RGB(0, 0, 0));
  EXPECT_TRUE(Rectangle(surface.hDC(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX));
  SelectObject(surface.hDC(), old);
  DeleteObject(pen);
}

TEST(GetObject, DescribesABitmap) {
  BITMAPINFO bmi = DibHeader(3, 2);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  BITMAP info{};
  EXPECT_EQ(GetObject(dib, sizeof info, &info), static_cast<int>(sizeof info));
  EXPECT_EQ(info.bmWidth, 3);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(info.bmWidthBytes, 12);
  EXPECT_EQ(info.bmBits, bits);
  EXPECT_EQ(GetObject(nullptr, sizeof info, &info), 0);
  DeleteObject(dib);
}

TEST(DeleteDC, ReleasesTheSelectedBitmapAndRefusesSurfaceContexts) {
  BITMAPINFO bmi = DibHeader(2, 2);
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, nullptr, nullptr, 0);
  SelectObject(mem, dib);
  EXPECT_FALSE(DeleteObject(dib));
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_TRUE(DeleteObject(dib));
  MemorySurface surface(1, 1);
  EXPECT_FALSE(DeleteDC(surface.hDC()));
}

TEST(Clipboard, CannotOpenWithoutASinkAndHandsBitmapsToIt) {
  SetClipboardSink(nullptr);
  EXPECT_FALSE(OpenClipboard(nullptr));
  int32_t seenWidth = 0;
  SetClipboardSink([&](const Bitmap& b) {
    seenWidth = b.Width();
    return true;
  });
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  HBITMAP b = CreateCompatibleBitmap(GetDC(GetDesktopWindow()), 7, 2);
  EXPECT_EQ(SetClipboardData(CF_BITMAP, b), b);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(seenWidth, 7);
  SetClipboardSink(nullptr);
}

TEST(MemorySurface, ASizeWhoseMemoryCannotBeHadIsAnError) {
  try {
    MemorySurface huge(40000, 40000);
    FAIL() << "no error";
  } catch (const platform::AppError& e) {
    EXPECT_EQ(e.Number(), platform::ErrorNumber::OutOfMemory);
  }
}

TEST(CreateDIBSection, ASectionOverTheCallersMemoryDrawsThereAndLeavesItToTheCaller) {
  MemorySurface surface(5, 3);
  Paint(surface.Image());
  std::vector<uint8_t> memory(4 + 16 * 3, 0xEE);
  BITMAPINFO bmi = DibHeader(5, 3);
  void* bits = nullptr;
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP dib = CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, memory.data(), 4);
  ASSERT_TRUE(dib);
  EXPECT_EQ(bits, memory.data() + 4);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, 5, 3, surface.hDC(), 0, 0, SRCCOPY);
  // The bottom row comes first; the bytes before the offset are untouched.
  EXPECT_EQ(memory[3], 0xEE);
  EXPECT_EQ(memory[4 + 1], 2);
  EXPECT_EQ(GetDIBits(mem, dib, 0, 3, memory.data() + 4, &bmi, DIB_RGB_COLORS), 3);
  EXPECT_EQ(memory[4 + 16 + 1], 1);
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  // Still the caller's: deleting the section freed nothing.
  EXPECT_EQ(memory[4 + 2 * 16 + 3 * 4], 4);
}
