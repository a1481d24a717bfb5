#include "formats/bmp/BmpReader.h"

#include <algorithm>
#include <vector>

#include "formats/PictureLimits.h"

namespace formats {
namespace {

constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kUncompressed = 0;
// The 32-bit rows converted at a time: a few megabytes at most.
constexpr size_t kChunkBytes = 4 << 20;

uint32_t Le16(std::span<const uint8_t> f, size_t at) { return f[at] | (f[at + 1] << 8); }

uint32_t Le32(std::span<const uint8_t> f, size_t at) {
  return Le16(f, at) | (static_cast<uint32_t>(Le16(f, at + 2)) << 16);
}

std::string Bytes(uint64_t n) { return std::to_string(n) + (n == 1 ? " byte" : " bytes"); }

// Rows are stored bottom-up: a file cut short holds the picture's lowest rows.
int32_t RowsHeld(const BmpReader::Layout& l, uint64_t fileSize) {
  return static_cast<int32_t>(
      std::min<uint64_t>((fileSize - l.offset) / l.fileStride, static_cast<uint64_t>(l.height)));
}

void CheckPlacement(const BmpReader::Layout& l, uint64_t fileSize) {
  if (l.offset < BmpReader::kHeaderBytes)
    throw PictureLimits::Damaged("its pixels would start inside its header");
  if (l.offset >= fileSize) throw PictureLimits::Damaged("the file ends before its pixels start");
  // Each row takes its whole stride in the file: nothing codes it denser.
  PictureLimits::CheckClaim(l.width, l.height, int64_t{RowsHeld(l, fileSize)} * l.width, fileSize);
}

std::string DamageOf(const BmpReader::Layout& l, uint64_t fileSize) {
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
  if (Le32(head, 14) != kInfoHeaderBytes) return std::nullopt;
  if (head.size() < kHeaderBytes) throw PictureLimits::Damaged("the file ends inside its header");
  const auto width = static_cast<int32_t>(Le32(head, 18));
  const auto height = static_cast<int32_t>(Le32(head, 22));
  const int bits = static_cast<int>(Le16(head, 28));
  // Top-down rows, palettes, run lengths and bit fields: the general reader's.
  if (height < 0 || Le32(head, 30) != kUncompressed || (bits != 24 && bits != 32)) return std::nullopt;
  if (width <= 0 || height == 0 || Le16(head, 26) != 1) {
    throw PictureLimits::Damaged("its header gives it " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels in " + std::to_string(Le16(head, 26)) +
                                 " planes");
  }
  PictureLimits::CheckSize(width, height, mostPixels);
  Layout layout{width, height, bits, Le32(head, 10),
                bits == 24 ? gdi::Bitmap::StrideFor(width) : 4 * static_cast<uint64_t>(width)};
  CheckPlacement(layout, fileSize);
  return layout;
}

PictureRegion BmpReader::Decode(const PictureFile& file, const Layout& layout, const RegionChooser& choose) {
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
  if (sink.MostShrink(layout.width, layout.height) == 0) return Streamed::No;
  StreamedAverager& averager = sink.Averager(1, layout.width, layout.height);
  const area::Range rows = averager.Rows(), columns = averager.Columns();
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
    averager.Add(PixelRows<const uint8_t>{band.data() + (count - 1) * stride + 3 * ptrdiff_t{columns.first},
                                          -stride, columns.end - columns.first, count});
    y += count;
  }
  damage = DamageOf(layout, file.Size());
  return Streamed::Yes;
}

}  // namespace formats
