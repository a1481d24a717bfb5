#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/base/ByteBuffer.h"

namespace gdi {
namespace {

// calloc hands out zeroed pages lazily: a large fresh bitmap costs nothing
// until it is written.
std::shared_ptr<uint8_t[]> Allocate(size_t bytes) {
  void* memory = std::calloc(bytes ? bytes : 1, 1);
  if (!memory) return nullptr;
  platform::AdviseHugePages(static_cast<uint8_t*>(memory), bytes);
  return std::shared_ptr<uint8_t[]>(static_cast<uint8_t*>(memory), [](uint8_t* p) { std::free(p); });
}

// The largest picture a DIB header can describe: its byte size must fit 32 bits.
constexpr size_t kMaxBytes = static_cast<size_t>(std::numeric_limits<int32_t>::max());

}  // namespace

Bitmap::Bitmap(int32_t width, int32_t height, bool bottomUp, std::shared_ptr<uint8_t[]> data, bool stock)
    : GdiObject(stock),
      width_(width),
      height_(height),
      stride_(StrideFor(width)),
      bottomUp_(bottomUp),
      data_(std::move(data)) {}

std::unique_ptr<Bitmap> Bitmap::Create(int32_t width, int32_t height, bool bottomUp) {
  if (width < 0 || height < 0) return nullptr;
  size_t bytes = StrideFor(width) * static_cast<size_t>(height);
  if (bytes > kMaxBytes) return nullptr;
  auto data = Allocate(bytes);
  if (!data) return nullptr;
  return std::unique_ptr<Bitmap>(new Bitmap(width, height, bottomUp, std::move(data), false));
}

std::unique_ptr<Bitmap> Bitmap::Over(uint8_t* memory, int32_t width, int32_t height, bool bottomUp) {
  if (!memory || width < 0 || height < 0) return nullptr;
  std::shared_ptr<uint8_t[]> view(memory, [](uint8_t*) {});
  return std::unique_ptr<Bitmap>(new Bitmap(width, height, bottomUp, std::move(view), false));
}

Bitmap* Bitmap::Stock() {
  static Bitmap* stock = new Bitmap(1, 1, true, Allocate(4), true);
  return stock;
}

std::unique_ptr<Bitmap> Bitmap::ShareCopy() const {
  return std::unique_ptr<Bitmap>(new Bitmap(width_, height_, bottomUp_, data_, false));
}

uint8_t* Bitmap::MutableBits() {
  if (data_.use_count() > 1) {
    auto own = Allocate(SizeBytes());
    if (!own) throw std::bad_alloc();
    std::memcpy(own.get(), data_.get(), SizeBytes());
    data_ = std::move(own);
  }
  return data_.get();
}

void Bitmap::Fill(COLORREF colour) { FillRect({0, 0, width_, height_}, colour); }

void Bitmap::FillRect(const Rect& r, COLORREF colour) {
  Rect c{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width_), std::min(r.bottom, height_)};
  if (c.Empty()) return;
  const uint8_t pixel[3] = {BlueOf(colour), GreenOf(colour), RedOf(colour)};
  uint8_t* base = MutableBits();
  uint8_t* first = base + RowOffset(c.top) + 3 * static_cast<size_t>(c.left);
  size_t rowBytes = 3 * static_cast<size_t>(c.right - c.left);
  for (size_t i = 0; i < rowBytes; i += 3) std::memcpy(first + i, pixel, 3);
  for (int32_t y = c.top + 1; y < c.bottom; ++y) {
    std::memcpy(base + RowOffset(y) + 3 * static_cast<size_t>(c.left), first, rowBytes);
  }
}

}  // namespace gdi
