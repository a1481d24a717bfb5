#pragma once

#include <cstdint>
#include <memory>

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Picture.h"

// An owned 24-bit bitmap kept selected into a memory context of its own, with
// its pixels addressable in place: blue, green, red; rows of BytesPerScanLine
// bytes; the first row in memory is the picture's bottom row.
class cDIBSection {
 public:
  cDIBSection() = default;
  ~cDIBSection();
  cDIBSection(const cDIBSection&) = delete;
  cDIBSection& operator=(const cDIBSection&) = delete;

  bool CopyToClipboard(bool bAsDIB);
  // The new bitmap comes back in hDib; the result says whether there is one.
  bool CreateDIB(gdi::HDC lHDC, int32_t lWidth, int32_t lHeight, gdi::HBITMAP& hDib);
  void CreateFromPicture(const gdi::Picture& picThis);
  bool Create(int32_t lWidth, int32_t lHeight);

  int32_t BytesPerScanLine() const;
  int32_t Width() const { return header_.biWidth; }
  int32_t Height() const { return header_.biHeight; }

  // A width or height of -1 stands for this bitmap's own.
  void LoadPictureBlt(gdi::HDC lHDC, int32_t lSrcLeft = 0, int32_t lSrcTop = 0, int32_t lSrcWidth = -1,
                      int32_t lSrcHeight = -1, uint32_t eRop = gdi::SRCCOPY);
  void PaintPicture(gdi::HDC lHDC, int32_t lDestLeft = 0, int32_t lDestTop = 0, int32_t lDestWidth = -1,
                    int32_t lDestHeight = -1, int32_t lSrcLeft = 0, int32_t lSrcTop = 0,
                    uint32_t eRop = gdi::SRCCOPY);

  gdi::HDC hdc() const { return hdc_; }
  gdi::HBITMAP hDib() const { return hDib_; }
  // The pixels to write: pixels still shared with a picture are copied first.
  uint8_t* DIBSectionBitsPtr() const { return hDib_ ? hDib_->MutableBits() : nullptr; }
  // The pixels to read, shared or not.
  const uint8_t* DIBSectionBits() const { return hDib_ ? hDib_->Bits() : nullptr; }

  void RandomiseBits(bool bGray = false);
  void ClearUp();

  // Bilinear resampling into a new bitmap; none when it can't be created.
  // The height comes first, then the width.
  std::unique_ptr<cDIBSection> Resample(int32_t lNewHeight, int32_t lNewWidth) const;

  const gdi::BITMAPINFOHEADER& Header() const { return header_; }

 private:
  bool HandBitmapToClipboard(gdi::HDC screen, gdi::HDC memory);
  void DescribeSize(int32_t lWidth, int32_t lHeight);
  // A picture whose rows already lie as a DIB's do is shared, not copied.
  bool SharePicture(const gdi::Picture& picThis);
  void ResampleInto(cDIBSection& dest) const;

  gdi::HBITMAP hDib_ = nullptr;
  gdi::HGDIOBJ previousBitmap_ = nullptr;
  gdi::HDC hdc_ = nullptr;
  gdi::BITMAPINFOHEADER header_{};
};
