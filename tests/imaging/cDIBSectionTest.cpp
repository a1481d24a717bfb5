#include "imaging/cDIBSection.h"

#include <gtest/gtest.h>

#include "support/pure/ErrorOf.h"

#include <algorithm>
#include <set>

#include "imaging/SectionFixtures.h"
#include "platform/base/AppError.h"
#include "platform/base/AppInfo.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/MemorySurface.h"
#include "support/pure/MessageRecorder.h"

namespace {

using platform::ErrorNumber::Overflow;
using platform::ErrorNumber::SubscriptOutOfRange;

// A surface whose pixel (x, y) is blue x, green y, red 200.
std::unique_ptr<gdi::MemorySurface> GradientSurface(int32_t width, int32_t height) {
  auto surface = std::make_unique<gdi::MemorySurface>(width, height);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = surface->Image().MutableRow(y);
    for (int32_t x = 0; x < width; ++x) {
      row[3 * x] = static_cast<uint8_t>(x);
      row[3 * x + 1] = static_cast<uint8_t>(y);
      row[3 * x + 2] = 200;
    }
  }
  return surface;
}

// The section's pixel at picture column x, picture row y counted from the top.
std::array<uint8_t, 3> PixelOf(const cDIBSection& dib, int32_t x, int32_t y) {
  int32_t memoryRow = dib.Height() - 1 - y;
  return {ByteAt(dib, 3 * x, memoryRow), ByteAt(dib, 3 * x + 1, memoryRow),
          ByteAt(dib, 3 * x + 2, memoryRow)};
}

std::array<uint8_t, 3> PixelOf(const gdi::Bitmap& bitmap, int32_t x, int32_t y) {
  const uint8_t* p = bitmap.Row(y) + 3 * x;
  return {p[0], p[1], p[2]};
}

TEST(DibSectionState, NewObjectReportsZeroEverywhere) {
  cDIBSection dib;
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.Height(), 0);
  EXPECT_EQ(dib.BytesPerScanLine(), 0);
  EXPECT_EQ(dib.hdc(), nullptr);
  EXPECT_EQ(dib.hDib(), nullptr);
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
}

TEST(DibSectionState, ScanLinesAreThreeBytesPerPixelRoundedUpToFour) {
  const int32_t expected[] = {4, 8, 12, 12, 16};
  for (int32_t width = 1; width <= 5; ++width) {
    auto dib = MakeSection(width, 1);
    EXPECT_EQ(dib->BytesPerScanLine(), expected[width - 1]) << "width " << width;
  }
}

TEST(DibSectionState, CreateRecordsTheHeaderAndSelectsTheSection) {
  auto dib = MakeSection(3, 2);
  const gdi::BITMAPINFOHEADER& h = dib->Header();
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 3);
  EXPECT_EQ(h.biHeight, 2);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, gdi::BI_RGB);
  EXPECT_EQ(h.biSizeImage, 24u);
  EXPECT_EQ(h.biXPelsPerMeter + h.biYPelsPerMeter, 0);
  EXPECT_EQ(h.biClrUsed + h.biClrImportant, 0u);
  ASSERT_NE(dib->hdc(), nullptr);
  EXPECT_EQ(dib->hdc()->SelectedBitmap(), dib->hDib());
  EXPECT_EQ(dib->DIBSectionBitsPtr(), dib->hDib()->Bits());
  EXPECT_TRUE(dib->hDib()->BottomUp());
}

TEST(DibSectionState, FailedCreateIsEmptyButKeepsTheRequestedSize) {
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(4, 4));
  EXPECT_FALSE(dib.Create(0, 7));
  EXPECT_EQ(dib.hdc(), nullptr);
  EXPECT_EQ(dib.hDib(), nullptr);
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib.Width(), 0);
  EXPECT_EQ(dib.Height(), 7);
}

TEST(DibSectionState, OverflowingSizeRaisesOverflowAndLeavesTheObjectEmpty) {
  cDIBSection dib;
  EXPECT_EQ(ErrorOf([&] { dib.Create(INT32_MAX / 3, 1); }), Overflow);
  EXPECT_EQ(dib.hdc(), nullptr);
  EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(ErrorOf([&] { dib.Create(1000, INT32_MAX / 1000); }), Overflow);
  EXPECT_EQ(dib.hdc(), nullptr);
}

TEST(DibSectionState, SecondCreateReplacesTheFirstSection) {
  auto dib = MakeSection(5, 5);
  std::fill_n(dib->DIBSectionBitsPtr(), 5 * dib->BytesPerScanLine(), 0xEE);
  ASSERT_TRUE(dib->Create(2, 3));
  EXPECT_EQ(dib->Width(), 2);
  EXPECT_EQ(dib->Height(), 3);
  EXPECT_EQ(dib->hdc()->SelectedBitmap(), dib->hDib());
  EXPECT_EQ(dib->hDib()->Width(), 2);
  const uint8_t* bits = dib->DIBSectionBitsPtr();
  EXPECT_TRUE(std::all_of(bits, bits + 3 * dib->BytesPerScanLine(), [](uint8_t b) { return b == 0; }));
}

TEST(DibSectionState, ClearUpDropsTheHandlesButKeepsTheSize) {
  auto dib = MakeSection(5, 3);
  dib->ClearUp();
  EXPECT_EQ(dib->hdc(), nullptr);
  EXPECT_EQ(dib->hDib(), nullptr);
  EXPECT_EQ(dib->DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(dib->Width(), 5);
  EXPECT_EQ(dib->Height(), 3);
  EXPECT_EQ(dib->BytesPerScanLine(), 16);
  dib->ClearUp();
  EXPECT_EQ(dib->hdc(), nullptr);
}

TEST(DibSectionTransfers, WholeLoadLandsBottomRowFirstInMemory) {
  auto surface = GradientSurface(7, 5);
  auto dib = MakeSection(7, 5);
  dib->LoadPictureBlt(surface->hDC(), 0, 0, -1, -1);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 7; ++x) EXPECT_EQ(PixelOf(*dib, x, y), PixelOf(surface->Image(), x, y));
  }
  // Memory row 0 is the picture's bottom row.
  EXPECT_EQ(ByteAt(*dib, 1, 0), 4);
  EXPECT_EQ(ByteAt(*dib, 1, 4), 0);
  for (uint8_t b : PaddingBytes(*dib)) EXPECT_EQ(b, 0);
}

TEST(DibSectionTransfers, PartialLoadLandsAtTheTopLeftCorner) {
  auto surface = GradientSurface(10, 10);
  auto dib = MakeSection(4, 4);
  dib->LoadPictureBlt(surface->hDC(), 3, 5, 2, 1);
  EXPECT_EQ(PixelOf(*dib, 0, 0), PixelOf(surface->Image(), 3, 5));
  EXPECT_EQ(PixelOf(*dib, 1, 0), PixelOf(surface->Image(), 4, 5));
  EXPECT_EQ(PixelOf(*dib, 2, 0), (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(PixelOf(*dib, 0, 1), (std::array<uint8_t, 3>{0, 0, 0}));
}

TEST(DibSectionTransfers, ZeroSizedTransfersMoveNothing) {
  auto surface = GradientSurface(6, 4);
  auto dib = MakeSection(6, 4);
  dib->LoadPictureBlt(surface->hDC(), 1, 1, 0, 0);
  for (uint8_t b : PixelBytes(*dib)) EXPECT_EQ(b, 0);
  gdi::MemorySurface target(6, 4, gdi::RGB(9, 9, 9));
  dib->PaintPicture(target.hDC(), 0, 0, 0, 0);
  EXPECT_EQ(PixelOf(target.Image(), 0, 0), (std::array<uint8_t, 3>{9, 9, 9}));
}

TEST(DibSectionTransfers, PaintPictureCopiesTheWholeBitmapToTheDestinationPoint) {
  auto surface = GradientSurface(5, 3);
  auto dib = MakeSection(5, 3);
  dib->LoadPictureBlt(surface->hDC());
  gdi::MemorySurface target(8, 6, gdi::RGB(1, 2, 3));
  dib->PaintPicture(target.hDC(), 2, 1, -1, -1, 0, 0);
  EXPECT_EQ(PixelOf(target.Image(), 2, 1), PixelOf(surface->Image(), 0, 0));
  EXPECT_EQ(PixelOf(target.Image(), 6, 3), PixelOf(surface->Image(), 4, 2));
  EXPECT_EQ(PixelOf(target.Image(), 7, 3), (std::array<uint8_t, 3>{3, 2, 1}));
  EXPECT_EQ(PixelOf(target.Image(), 1, 1), (std::array<uint8_t, 3>{3, 2, 1}));
}

TEST(DibSectionTransfers, EmptyObjectDrawsNothing) {
  cDIBSection dib;
  auto surface = GradientSurface(3, 3);
  dib.LoadPictureBlt(surface->hDC());
  dib.PaintPicture(surface->hDC());
  EXPECT_EQ(PixelOf(surface->Image(), 1, 1), (std::array<uint8_t, 3>{1, 1, 200}));
}

class DibSectionSharing : public testing::TestWithParam<bool> {};

// Rows that already lie bottom-up, as a DIB's do, are shared until the
// section is written; others are copied at once. Either way the picture keeps its pixels.
TEST_P(DibSectionSharing, BottomUpRowsUntilWritten) {
  const bool bottomUp = GetParam();
  auto bitmap = gdi::Bitmap::Create(6, 4, bottomUp);
  for (int32_t y = 0; y < 4; ++y) std::fill_n(bitmap->MutableRow(y), 18, static_cast<uint8_t>(10 * y));
  gdi::Picture picture(std::move(bitmap));
  cDIBSection dib;
  dib.CreateFromPicture(picture);
  EXPECT_EQ(dib.DIBSectionBits() == picture.Handle()->Bits(), bottomUp);
  std::fill_n(dib.DIBSectionBitsPtr(), 4 * dib.BytesPerScanLine(), 0xEE);
  EXPECT_EQ(PixelOf(dib, 5, 3), (std::array<uint8_t, 3>{0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(picture.Handle()->Row(3)[0], 30);
}

INSTANTIATE_TEST_SUITE_P(BothWaysUp, DibSectionSharing, testing::Bool());

TEST(DibSectionFromPicture, CopiesThePicturesPixels) {
  auto bitmap = gdi::Bitmap::Create(6, 4, false);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 18; ++x) bitmap->MutableRow(y)[x] = static_cast<uint8_t>(10 * y + x);
  }
  gdi::Picture picture(std::move(bitmap));
  cDIBSection dib;
  dib.CreateFromPicture(picture);
  ASSERT_EQ(dib.Width(), 6);
  ASSERT_EQ(dib.Height(), 4);
  for (int32_t y = 0; y < 4; ++y) {
    for (int32_t x = 0; x < 6; ++x) EXPECT_EQ(PixelOf(dib, x, y), PixelOf(*picture.Handle(), x, y));
  }
  EXPECT_FALSE(picture.Handle()->IsSelected());
}

TEST(DibSectionFromPicture, EmptyPictureLeavesAnEmptyObjectOfSizeZero) {
  auto dib = MakeSection(3, 3);
  dib->CreateFromPicture(gdi::Picture());
  EXPECT_EQ(dib->Width(), 0);
  EXPECT_EQ(dib->Height(), 0);
  EXPECT_EQ(dib->hdc(), nullptr);
}

class DibSectionClipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    gdi::SetClipboardSink([this](const gdi::Bitmap& bitmap) {
      received_.push_back({bitmap.Width(), bitmap.Height(), PixelOf(bitmap, 0, 0)});
      return accept_;
    });
  }
  void TearDown() override { gdi::SetClipboardSink(nullptr); }

  struct Received {
    int32_t width, height;
    std::array<uint8_t, 3> topLeft;
  };
  std::vector<Received> received_;
  bool accept_ = true;
};

TEST_F(DibSectionClipboard, AsDibShowsTheMessageAndLeavesTheClipboardAlone) {
  MessageRecorder messages;
  auto dib = MakeSection(2, 2);
  EXPECT_FALSE(dib->CopyToClipboard(true));
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].text,
            "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
  EXPECT_EQ(messages.Messages()[0].style, 0);
  EXPECT_EQ(messages.Messages()[0].title, platform::AppInfo::Title());
  EXPECT_TRUE(received_.empty());
}

TEST_F(DibSectionClipboard, AsBitmapHandsOverACopyOfThePicture) {
  auto surface = GradientSurface(4, 3);
  auto dib = MakeSection(4, 3);
  dib->LoadPictureBlt(surface->hDC());
  EXPECT_TRUE(dib->CopyToClipboard(false));
  ASSERT_EQ(received_.size(), 1u);
  EXPECT_EQ(received_[0].width, 4);
  EXPECT_EQ(received_[0].height, 3);
  EXPECT_EQ(received_[0].topLeft, PixelOf(surface->Image(), 0, 0));
}

TEST_F(DibSectionClipboard, RefusedOrUnavailableClipboardReportsFailure) {
  auto dib = MakeSection(2, 2);
  accept_ = false;
  EXPECT_FALSE(dib->CopyToClipboard(false));
  gdi::SetClipboardSink(nullptr);
  EXPECT_FALSE(dib->CopyToClipboard(false));
  cDIBSection empty;
  EXPECT_FALSE(empty.CopyToClipboard(false));
}

TEST(DibSectionRandomise, GrayGivesThreeEqualBytesAndLeavesPadding) {
  auto dib = MakeSection(5, 9);
  std::fill_n(dib->DIBSectionBitsPtr(), 9 * dib->BytesPerScanLine(), 0xAB);
  dib->RandomiseBits(true);
  std::set<uint8_t> greys;
  for (int32_t y = 0; y < 9; ++y) {
    for (int32_t x = 0; x < 5; ++x) {
      EXPECT_EQ(ByteAt(*dib, 3 * x, y), ByteAt(*dib, 3 * x + 1, y));
      EXPECT_EQ(ByteAt(*dib, 3 * x, y), ByteAt(*dib, 3 * x + 2, y));
      greys.insert(ByteAt(*dib, 3 * x, y));
    }
  }
  EXPECT_GT(greys.size(), 5u);
  for (uint8_t b : PaddingBytes(*dib)) EXPECT_EQ(b, 0xAB);
}

TEST(DibSectionRandomise, ColourHasNoBlueAndLeavesPadding) {
  auto dib = MakeSection(7, 6);
  std::fill_n(dib->DIBSectionBitsPtr(), 6 * dib->BytesPerScanLine(), 0xAB);
  dib->RandomiseBits(false);
  std::set<uint8_t> greens, reds;
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 7; ++x) {
      EXPECT_EQ(ByteAt(*dib, 3 * x, y), 0);
      greens.insert(ByteAt(*dib, 3 * x + 1, y));
      reds.insert(ByteAt(*dib, 3 * x + 2, y));
    }
  }
  EXPECT_GT(greens.size(), 5u);
  EXPECT_GT(reds.size(), 5u);
  for (uint8_t b : PaddingBytes(*dib)) EXPECT_EQ(b, 0xAB);
}

TEST(DibSectionRandomise, WithoutPixelMemoryRaisesOutOfRangeInsteadOfWriting) {
  auto dib = MakeSection(3, 3);
  dib->ClearUp();
  EXPECT_EQ(ErrorOf([&] { dib->RandomiseBits(true); }), SubscriptOutOfRange);
  EXPECT_EQ(ErrorOf([&] { dib->RandomiseBits(false); }), SubscriptOutOfRange);
}

}  // namespace
