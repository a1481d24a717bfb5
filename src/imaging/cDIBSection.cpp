#include "imaging/cDIBSection.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <random>

#include "imaging/ByteView.h"
#include "imaging/Resampler.h"
#include "platform/base/Checked.h"
#include "platform/base/MessageBox.h"
#include "platform/gdi/Gdi.h"

namespace {

// Seconds since local midnight, with the fraction, so two calls in the same
// second still seed differently.
double SecondsSinceMidnight() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  double fraction = duration<double>(now - system_clock::from_time_t(t)).count();
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction;
}

uint8_t RandomByte(std::mt19937& generator) {
  double r = std::generate_canonical<double, 32>(generator);
  return static_cast<uint8_t>(std::nearbyint(r * 255.0));
}

}  // namespace

cDIBSection::~cDIBSection() { ClearUp(); }

bool cDIBSection::CopyToClipboard(bool bAsDIB) {
  gdi::HWND desktop = gdi::GetDesktopWindow();
  gdi::HDC screen = gdi::GetDC(desktop);
  if (!screen) return false;
  gdi::HDC memory = gdi::CreateCompatibleDC(screen);
  if (!memory) {
    gdi::ReleaseDC(desktop, screen);
    return false;
  }
  bool result = false;
  if (bAsDIB) {
    platform::MessageBox::Show("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!",
                               platform::MsgStyle::OkOnly, "");
  } else {
    result = HandBitmapToClipboard(screen, memory);
  }
  gdi::DeleteDC(memory);
  gdi::ReleaseDC(desktop, screen);
  return result;
}

bool cDIBSection::HandBitmapToClipboard(gdi::HDC screen, gdi::HDC memory) {
  gdi::HBITMAP bitmap = gdi::CreateCompatibleBitmap(screen, Width(), Height());
  if (!bitmap) return false;
  gdi::HGDIOBJ replaced = gdi::SelectObject(memory, bitmap);
  PaintPicture(memory, 0, 0, -1, -1, 0, 0, gdi::SRCCOPY);
  gdi::SelectObject(memory, replaced);
  if (!gdi::OpenClipboard(nullptr)) {
    // Nobody took the bitmap: it is still ours to release.
    gdi::DeleteObject(bitmap);
    return false;
  }
  gdi::EmptyClipboard();
  bool taken = gdi::SetClipboardData(gdi::CF_BITMAP, bitmap) != nullptr;
  gdi::CloseClipboard();
  return taken;
}

bool cDIBSection::CreateDIB(gdi::HDC lHDC, int32_t lWidth, int32_t lHeight, gdi::HBITMAP& hDib) {
  DescribeSize(lWidth, lHeight);
  gdi::BITMAPINFO info{};
  info.bmiHeader = header_;
  void* bits = nullptr;
  hDib = gdi::CreateDIBSection(lHDC, &info, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  return hDib != nullptr;
}

void cDIBSection::DescribeSize(int32_t lWidth, int32_t lHeight) {
  header_.biSize = sizeof(gdi::BITMAPINFOHEADER);
  header_.biWidth = lWidth;
  header_.biHeight = lHeight;
  header_.biPlanes = 1;
  header_.biBitCount = 24;
  header_.biCompression = gdi::BI_RGB;
  header_.biSizeImage = static_cast<uint32_t>(checked::Mul(header_.biHeight, BytesPerScanLine()));
}

void cDIBSection::CreateFromPicture(const gdi::Picture& picThis) {
  if (SharePicture(picThis)) return;
  gdi::BITMAP description{};
  gdi::GetObject(picThis.Handle(), sizeof description, &description);
  if (!Create(description.bmWidth, description.bmHeight)) return;
  gdi::HWND desktop = gdi::GetDesktopWindow();
  gdi::HDC screen = gdi::GetDC(desktop);
  if (!screen) return;
  gdi::HDC memory = gdi::CreateCompatibleDC(screen);
  gdi::ReleaseDC(desktop, screen);
  if (!memory) return;
  gdi::HGDIOBJ replaced = gdi::SelectObject(memory, picThis.Handle());
  LoadPictureBlt(memory, 0, 0, -1, -1, gdi::SRCCOPY);
  if (replaced) gdi::SelectObject(memory, replaced);
  gdi::DeleteDC(memory);
}

// A large picture is opened in a blink: its working copy costs nothing until
// something draws on it.
bool cDIBSection::SharePicture(const gdi::Picture& picThis) {
  const gdi::Bitmap* bitmap = picThis.Handle();
  if (!bitmap || !bitmap->BottomUp()) return false;
  ClearUp();
  hdc_ = gdi::CreateCompatibleDC(nullptr);
  if (!hdc_) return false;
  DescribeSize(bitmap->Width(), bitmap->Height());
  hDib_ = bitmap->ShareCopy().release();
  previousBitmap_ = gdi::SelectObject(hdc_, hDib_);
  return true;
}

bool cDIBSection::Create(int32_t lWidth, int32_t lHeight) {
  ClearUp();
  hdc_ = gdi::CreateCompatibleDC(nullptr);
  if (!hdc_) return false;
  bool created = false;
  try {
    created = CreateDIB(hdc_, lWidth, lHeight, hDib_);
  } catch (...) {
    // An overflowing size leaves the object empty, not holding a bare context.
    ClearUp();
    throw;
  }
  if (!created) {
    gdi::DeleteDC(hdc_);
    hdc_ = nullptr;
    return false;
  }
  previousBitmap_ = gdi::SelectObject(hdc_, hDib_);
  return true;
}

int32_t cDIBSection::BytesPerScanLine() const {
  return checked::Add(checked::Mul(3, header_.biWidth), 3) & ~3;
}

void cDIBSection::LoadPictureBlt(gdi::HDC lHDC, int32_t lSrcLeft, int32_t lSrcTop, int32_t lSrcWidth,
                                 int32_t lSrcHeight, uint32_t eRop) {
  if (lSrcWidth < 0) lSrcWidth = Width();
  if (lSrcHeight < 0) lSrcHeight = Height();
  gdi::BitBlt(hdc_, 0, 0, lSrcWidth, lSrcHeight, lHDC, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::PaintPicture(gdi::HDC lHDC, int32_t lDestLeft, int32_t lDestTop, int32_t lDestWidth,
                               int32_t lDestHeight, int32_t lSrcLeft, int32_t lSrcTop, uint32_t eRop) {
  if (lDestWidth < 0) lDestWidth = Width();
  if (lDestHeight < 0) lDestHeight = Height();
  gdi::BitBlt(lHDC, lDestLeft, lDestTop, lDestWidth, lDestHeight, hdc_, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::RandomiseBits(bool bGray) {
  ByteView<uint8_t> bytes(DIBSectionBitsPtr(), BytesPerScanLine(), Height());
  std::mt19937 generator(static_cast<uint32_t>(SecondsSinceMidnight() * 1000.0));
  const int64_t xEnd = checked::Mul(checked::Sub(Width(), 1), 3);
  const int32_t rows = Height();
  if (bGray) {
    for (int32_t y = 0; y < rows; ++y) {
      for (int64_t x = 0; x <= xEnd; x += 3) {
        uint8_t v = RandomByte(generator);
        bytes(x, y) = v;
        bytes(x + 1, y) = v;
        bytes(x + 2, y) = v;
      }
    }
    return;
  }
  for (int64_t x = 0; x <= xEnd; x += 3) {
    for (int32_t y = 0; y < rows; ++y) {
      bytes(x, y) = 0;
      bytes(x + 1, y) = RandomByte(generator);
      bytes(x + 2, y) = RandomByte(generator);
    }
  }
}

void cDIBSection::ClearUp() {
  if (hdc_) {
    if (hDib_) {
      gdi::SelectObject(hdc_, previousBitmap_);
      gdi::DeleteObject(hDib_);
    }
    gdi::DeleteDC(hdc_);
  }
  hdc_ = nullptr;
  hDib_ = nullptr;
  previousBitmap_ = nullptr;
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(int32_t lNewHeight, int32_t lNewWidth) const {
  auto result = std::make_unique<cDIBSection>();
  if (!result->Create(lNewWidth, lNewHeight)) return nullptr;
  if (lNewWidth == Width() && lNewHeight == Height()) {
    result->LoadPictureBlt(hdc_, 0, 0, -1, -1, gdi::SRCCOPY);
  } else {
    ResampleInto(*result);
  }
  return result;
}

void cDIBSection::ResampleInto(cDIBSection& dest) const { Resampler().Fill(*this, dest); }
