#include "formats/bmp/BmpReader.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <vector>

#include "formats/PictureLimits.h"

namespace formats {
namespace {

constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
// A run of up to 255 pixels in two bytes.
constexpr int64_t kRunPixelsPerByte = 128;

bool KnownInfoHeader(uint32_t bytes) {
  return bytes == 40 || bytes == 52 || bytes == 56 || bytes == 108 || bytes == 124;
}

bool KnownCoding(int bits, uint32_t compression) {
  switch (compression) {
    case kUncompressed:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8:
      return bits == 8;
    case kRle4:
      return bits == 4;
    case kBitFields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

bool RunLengths(const BmpReader::Layout& l) { return l.compression == kRle8 || l.compression == kRle4; }
// The 32-bit rows converted at a time: a few megabytes at most.
constexpr size_t kChunkBytes = 4 << 20;

uint32_t Le16(std::span<const uint8_t> f, size_t at) { return f[at] | (f[at + 1] << 8); }

uint32_t Le32(std::span<const uint8_t> f, size_t at) {
  return Le16(f, at) | (static_cast<uint32_t>(Le16(f, at + 2)) << 16);
}

std::string Bytes(uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// The rows a file holds whole.
int32_t RowsHeld(const BmpReader::Layout& l, uint64_t fileSize) {
  return static_cast<int32_t>(
      std::min<uint64_t>((fileSize - l.offset) / l.fileStride, static_cast<uint64_t>(l.height)));
}

void CheckPlacement(const BmpReader::Layout& l, uint64_t fileSize) {
  if (l.offset < 14 + uint64_t{l.infoBytes})
    throw PictureLimits::Damaged("its pixels would start inside its header");
  if (l.offset >= fileSize) throw PictureLimits::Damaged("the file ends before its pixels start");
  if (RunLengths(l)) {
    const auto bytes = static_cast<int64_t>(std::min<uint64_t>(fileSize - l.offset, kMaxPictureFileBytes));
    PictureLimits::CheckClaim(l.width, l.height, bytes * kRunPixelsPerByte, fileSize);
    return;
  }
  // Each row takes its whole stride in the file: nothing codes it denser.
  PictureLimits::CheckClaim(l.width, l.height, int64_t{RowsHeld(l, fileSize)} * l.width, fileSize);
}

std::string DamageOf(const BmpReader::Layout& l, uint64_t fileSize) {
  if (RunLengths(l)) return {};
  const uint64_t end = l.offset + l.fileStride * static_cast<uint64_t>(l.height);
  if (end <= fileSize) return {};
  return "the file ends " + Bytes(end - fileSize) + " before the end of the pixels its header announces";
}

// Where the picture's row `bottom` - 1 starts in the file.
uint64_t FirstRow(const BmpReader::Layout& l, int32_t bottom) {
  return l.offset + l.fileStride * static_cast<uint64_t>(l.height - bottom);
}

// The file changed size while it was read.
platform::AppError EndsEarly() {
  return PictureLimits::Damaged("the file ends before the end of the pixels its header announces");
}

gdi::Rect Clipped(gdi::Rect r, int32_t width, int32_t height) {
  return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width), std::min(r.bottom, height)};
}

}  // namespace

std::optional<BmpReader::Layout> BmpReader::Read(std::span<const uint8_t> head, uint64_t fileSize,
                                                 int64_t mostPixels) {
  if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') return std::nullopt;
  if (head.size() < 18) throw PictureLimits::Damaged("the file ends inside its header");
  Layout layout;
  layout.infoBytes = Le32(head, 14);
  const bool core = layout.infoBytes == kCoreHeaderBytes;
  if (!core && !KnownInfoHeader(layout.infoBytes)) return std::nullopt;
  if (head.size() < (core ? 26 : kHeaderBytes))
    throw PictureLimits::Damaged("the file ends inside its header");
  const int64_t width = core ? int64_t{Le16(head, 18)} : int64_t{static_cast<int32_t>(Le32(head, 18))};
  int64_t height = core ? int64_t{Le16(head, 20)} : int64_t{static_cast<int32_t>(Le32(head, 22))};
  const uint32_t planes = core ? Le16(head, 22) : Le16(head, 26);
  layout.bitsPerPixel = static_cast<int>(core ? Le16(head, 24) : Le16(head, 28));
  layout.compression = core ? kUncompressed : Le32(head, 30);
  layout.coloursUsed = core ? 0 : Le32(head, 46);
  // JPEG and PNG inside a BMP, and kinds nobody writes: the general reader's.
  if (!KnownCoding(layout.bitsPerPixel, layout.compression)) return std::nullopt;
  layout.topDown = height < 0;
  height = std::abs(height);
  if (width <= 0 || height == 0 || planes != 1) {
    throw PictureLimits::Damaged("its header gives it " + std::to_string(width) + " x " +
                                 std::to_string(layout.topDown ? -height : height) + " pixels in " +
                                 std::to_string(planes) + " planes");
  }
  if (layout.topDown && RunLengths(layout))
    throw PictureLimits::Damaged("its run lengths are stored top row first, which no BMP can be");
  PictureLimits::CheckSize(width, height, mostPixels);
  layout.width = static_cast<int32_t>(width);
  layout.height = static_cast<int32_t>(height);
  layout.offset = Le32(head, 10);
  layout.fileStride = (static_cast<uint64_t>(width) * layout.bitsPerPixel + 31) / 32 * 4;
  CheckPlacement(layout, fileSize);
  return layout;
}

PictureRegion BmpReader::Decode(const PictureFile& file, const Layout& layout, const RegionChooser& choose) {
  if (!layout.Direct()) {
    choose(layout.width, layout.height);
    return Convert(file, layout);
  }
  const gdi::Rect wanted = Clipped(choose(layout.width, layout.height), layout.width, layout.height);
  const int32_t top = wanted.Empty() ? 0 : wanted.top;
  const int32_t bottom = wanted.Empty() ? 0 : wanted.bottom;
  std::unique_ptr<gdi::Bitmap> rows = PictureLimits::NewBitmap(layout.width, bottom - top, false);
  // Rows the file doesn't hold stay black.
  const int32_t firstHeld = std::clamp(layout.height - RowsHeld(layout, file.Size()), top, bottom);
  if (layout.bitsPerPixel == 24) {
    ReadRows(file, layout, bottom, firstHeld - top, *rows);
  } else {
    ReadRowsDroppingFourthByte(file, layout, bottom, firstHeld - top, *rows);
  }
  return {std::make_shared<const gdi::Picture>(std::move(rows)),
          0,
          top,
          layout.width,
          layout.height,
          DamageOf(layout, file.Size())};
}

// The file's rows, from the picture's row `bottom` - 1 upwards, are the
// bitmap's byte for byte: one scattered read puts each in its place, up to
// the bitmap's row `first`.
void BmpReader::ReadRows(const PictureFile& file, const Layout& layout, int32_t bottom, int32_t first,
                         gdi::Bitmap& rows) {
  if (first >= rows.Height()) return;
  std::vector<std::span<uint8_t>> places;
  places.reserve(static_cast<size_t>(rows.Height() - first));
  for (int32_t y = rows.Height() - 1; y >= first; --y) places.emplace_back(rows.MutableRow(y), rows.Stride());
  if (!file.ReadScattered(FirstRow(layout, bottom), places)) throw EndsEarly();
}

void BmpReader::ReadRowsDroppingFourthByte(const PictureFile& file, const Layout& layout, int32_t bottom,
                                           int32_t first, gdi::Bitmap& rows) {
  const int32_t wanted = rows.Height() - first;
  if (wanted <= 0) return;
  const size_t perChunk = std::max<size_t>(1, kChunkBytes / layout.fileStride);
  std::vector<uint8_t> chunk(std::min<size_t>(perChunk, static_cast<size_t>(wanted)) * layout.fileStride);
  uint64_t at = FirstRow(layout, bottom);
  for (int32_t done = 0; done < wanted;) {
    const auto count = static_cast<int32_t>(std::min<size_t>(perChunk, static_cast<size_t>(wanted - done)));
    if (!file.ReadAt(at, chunk.data(), count * layout.fileStride)) throw EndsEarly();
    for (int32_t r = 0; r < count; ++r) {
      const uint8_t* from = chunk.data() + r * layout.fileStride;
      uint8_t* to = rows.MutableRow(rows.Height() - 1 - (done + r));
      for (int32_t x = 0; x < layout.width; ++x, from += 4, to += 3) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
      }
    }
    at += count * layout.fileStride;
    done += count;
  }
}

// Each band is read in one go, its rows in the file's order (the lowest
// first), and walked upwards.
Streamed BmpReader::Stream(const PictureFile& file, const Layout& layout, BandSink& sink,
                           std::string& damage) {
  // Palettes, bit fields, run lengths and top-down rows decode whole.
  if (!layout.Direct() || sink.MostShrink(layout.width, layout.height) == 0) return Streamed::No;
  RowTaker& taker = sink.Taker(1, layout.width, layout.height);
  const Range rows = taker.Rows(), columns = taker.Columns();
  const int32_t firstHeld = layout.height - RowsHeld(layout, file.Size());
  const auto perBand = static_cast<int32_t>(
      std::clamp<uint64_t>(kChunkBytes / layout.fileStride, 1, static_cast<uint64_t>(rows.end - rows.first)));
  std::vector<uint8_t> band(static_cast<size_t>(perBand) * layout.fileStride);
  for (int32_t y = rows.first; y < rows.end;) {
    if (sink.Stop(static_cast<double>(y - rows.first) / (rows.end - rows.first))) throw StreamStopped();
    const int32_t count = std::min(perBand, rows.end - y);
    const int32_t held = std::clamp(y + count - firstHeld, 0, count);
    // Rows the file doesn't hold, at the top, stay black.
    std::fill(band.begin() + static_cast<ptrdiff_t>(held * layout.fileStride),
              band.begin() + static_cast<ptrdiff_t>(count * layout.fileStride), uint8_t{0});
    if (held > 0 && !file.ReadAt(FirstRow(layout, y + count), band.data(), held * layout.fileStride))
      throw EndsEarly();
    if (layout.bitsPerPixel == 32) {
      for (int32_t r = 0; r < held; ++r) {
        uint8_t* row = band.data() + r * layout.fileStride;
        for (int32_t x = 0; x < layout.width; ++x) {
          row[3 * x] = row[4 * x];
          row[3 * x + 1] = row[4 * x + 1];
          row[3 * x + 2] = row[4 * x + 2];
        }
      }
    }
    const auto stride = static_cast<ptrdiff_t>(layout.fileStride);
    taker.Add(PixelRows<const uint8_t>{band.data() + (count - 1) * stride + 3 * ptrdiff_t{columns.first},
                                       -stride, columns.end - columns.first, count});
    y += count;
  }
  damage = DamageOf(layout, file.Size());
  return Streamed::Yes;
}

namespace {

struct Colour {
  uint8_t blue = 0, green = 0, red = 0;
};

// A channel's bits anywhere in a pixel, widened or narrowed to 8 bits.
class Channel {
 public:
  explicit Channel(uint32_t mask)
      : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), bits_(std::popcount(mask)) {}
  uint8_t Of(uint32_t pixel) const {
    if (bits_ == 0) return 0;
    const uint32_t value = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return static_cast<uint8_t>(value >> (bits_ - 8));
    return static_cast<uint8_t>(value * 255 / ((1u << bits_) - 1));
  }

 private:
  uint32_t mask_;
  int shift_;
  int bits_;
};

// The colours a palette holds, black past its end: an index no entry
// answers for stays black rather than reading past the table.
std::vector<Colour> Palette(const PictureFile& file, const BmpReader::Layout& l) {
  if (l.bitsPerPixel > 8) return {};
  const bool core = l.infoBytes == kCoreHeaderBytes;
  const uint64_t at = 14 + uint64_t{l.infoBytes} + (l.compression == kBitFields ? 12 : 0);
  const size_t entryBytes = core ? 3 : 4;
  const size_t most = size_t{1} << l.bitsPerPixel;
  size_t entries = l.coloursUsed ? std::min<size_t>(l.coloursUsed, most) : most;
  entries = std::min<size_t>(entries, l.offset > at ? (l.offset - at) / entryBytes : 0);
  std::vector<uint8_t> table(entries * entryBytes);
  std::vector<Colour> colours(most);
  if (entries == 0 || !file.ReadAt(at, table.data(), table.size())) return colours;
  for (size_t i = 0; i < entries; ++i) {
    const uint8_t* e = &table[i * entryBytes];
    colours[i] = {e[0], e[1], e[2]};
  }
  return colours;
}

void Put(uint8_t* to, const Colour& c) {
  to[0] = c.blue;
  to[1] = c.green;
  to[2] = c.red;
}

// One stored row of any uncompressed kind into a row of the bitmap.
class RowConverter {
 public:
  RowConverter(const PictureFile& file, const BmpReader::Layout& l) : l_(l), palette_(Palette(file, l)) {
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (l.bitsPerPixel == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    uint8_t stored[12];
    // Just after the 40 bytes every info header starts with, inside the later ones.
    if (l.compression == kBitFields && file.ReadAt(14 + 40, stored, 12)) {
      for (int i = 0; i < 3; ++i) masks[i] = Le32(stored, 4 * static_cast<size_t>(i));
    }
    red_ = Channel(masks[0]);
    green_ = Channel(masks[1]);
    blue_ = Channel(masks[2]);
  }

  void operator()(const uint8_t* from, uint8_t* to) const {
    const int bits = l_.bitsPerPixel;
    for (int32_t x = 0; x < l_.width; ++x, to += 3) {
      if (bits <= 8) {
        const size_t bit = static_cast<size_t>(x) * bits;
        const unsigned index = (from[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
        Put(to, palette_[index]);
      } else if (bits == 24) {
        std::copy_n(from + 3 * static_cast<size_t>(x), 3, to);
      } else {
        const uint8_t* p = from + static_cast<size_t>(x) * (bits / 8);
        const uint32_t pixel = bits == 16 ? Le16(std::span(p, 2), 0) : Le32(std::span(p, 4), 0);
        to[0] = blue_.Of(pixel);
        to[1] = green_.Of(pixel);
        to[2] = red_.Of(pixel);
      }
    }
  }

  const std::vector<Colour>& Colours() const { return palette_; }

 private:
  BmpReader::Layout l_;
  std::vector<Colour> palette_;
  Channel red_{0}, green_{0}, blue_{0};
};

// Runs of one index, stretches of indices given one by one, ends of rows and
// jumps ahead; pixels it never reaches stay black. Each two bytes reach at
// most 255 pixels, none past a row's end, so the work stays within the file's
// size and the picture's. Damage in words, or nothing.
std::string DecodeRuns(std::span<const uint8_t> data, const BmpReader::Layout& l,
                       const std::vector<Colour>& colours, gdi::Bitmap& bitmap) {
  const bool four = l.compression == kRle4;
  int32_t x = 0, y = 0;
  size_t at = 0;
  auto put = [&](unsigned index) {
    if (x < l.width && y < l.height)
      Put(bitmap.MutableRow(l.height - 1 - y) + 3 * static_cast<size_t>(x), colours[index]);
    ++x;
  };
  while (y < l.height) {
    if (at + 2 > data.size()) return "the file ends before the end of its pixels";
    const unsigned count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      const unsigned n = std::min<unsigned>(count, static_cast<unsigned>(std::max(l.width - x, 0)));
      for (unsigned i = 0; i < n; ++i) put(four ? (i % 2 ? value & 15 : value >> 4) : value);
      x += static_cast<int32_t>(count - n);
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      return {};
    } else if (value == 2) {
      if (at + 2 > data.size()) return "the file ends before the end of its pixels";
      x += data[at];
      y += data[at + 1];
      at += 2;
    } else {
      const size_t bytes = four ? (value + 1) / 2 : value;
      if (at + bytes > data.size()) return "the file ends before the end of its pixels";
      for (unsigned i = 0; i < value && x < l.width; ++i) {
        const uint8_t b = data[at + (four ? i / 2 : i)];
        put(four ? (i % 2 ? b & 15 : b >> 4) : b);
      }
      at += bytes + (bytes % 2);
    }
  }
  return {};
}

}  // namespace

PictureRegion BmpReader::Convert(const PictureFile& file, const Layout& layout) {
  const RowConverter convert(file, layout);
  std::unique_ptr<gdi::Bitmap> bitmap = PictureLimits::NewBitmap(layout.width, layout.height, false);
  std::string damage;
  if (RunLengths(layout)) {
    std::vector<uint8_t> data(file.Size() - layout.offset);
    if (!file.ReadAt(layout.offset, data.data(), data.size())) throw EndsEarly();
    damage = DecodeRuns(data, layout, convert.Colours(), *bitmap);
  } else {
    const int32_t held = RowsHeld(layout, file.Size());
    const size_t perChunk = std::max<size_t>(1, kChunkBytes / layout.fileStride);
    std::vector<uint8_t> chunk(std::min<size_t>(perChunk, static_cast<size_t>(held)) * layout.fileStride);
    for (int32_t done = 0; done < held;) {
      const auto count = static_cast<int32_t>(std::min<size_t>(perChunk, static_cast<size_t>(held - done)));
      if (!file.ReadAt(layout.offset + done * layout.fileStride, chunk.data(), count * layout.fileStride))
        throw EndsEarly();
      for (int32_t r = 0; r < count; ++r) {
        const int32_t stored = done + r;
        convert(chunk.data() + r * layout.fileStride,
                bitmap->MutableRow(layout.topDown ? stored : layout.height - 1 - stored));
      }
      done += count;
    }
    damage = DamageOf(layout, file.Size());
  }
  return {std::make_shared<const gdi::Picture>(std::move(bitmap)),
          0,
          0,
          layout.width,
          layout.height,
          std::move(damage)};
}

}  // namespace formats
