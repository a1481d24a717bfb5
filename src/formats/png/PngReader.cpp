#include "formats/png/PngReader.h"

#include <spng.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "formats/PictureLimits.h"
#include "platform/gdi/PictureSurface.h"

namespace formats {
namespace {

constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Deflate packs at most about 1032 bytes into one, and a one-bit picture
// holds eight pixels a byte.
constexpr int64_t kDensestPixelsPerByte = 8 * 1032;

// Chunks besides the pixels (text, profiles) may take this much, so a small
// file can't ask for gigabytes through a compressed text.
constexpr size_t kChunkBytes = 16 << 20;
constexpr size_t kChunkCacheBytes = 64 << 20;

struct ContextFree {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

bool HasAlpha(spng_ctx* context, const spng_ihdr& header) {
  if (header.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
      header.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA)
    return true;
  spng_trns trns{};
  return spng_get_trns(context, &trns) == 0;
}

// The errors of the pixel data itself, as opposed to a file that is no PNG.
bool DamagesPixels(int error) {
  switch (error) {
    case SPNG_IO_EOF:
    case SPNG_EOF:
    case SPNG_EIDAT_TOO_SHORT:
    case SPNG_EIDAT_STREAM:
    case SPNG_EZLIB:
    case SPNG_ECHUNK_CRC:
    case SPNG_EFILTER:
      return true;
    default:
      return false;
  }
}

// How the pixels came to an end, in words.
std::string DamageOf(int error) {
  switch (error) {
    case SPNG_IO_EOF:
    case SPNG_EOF:
    case SPNG_EIDAT_TOO_SHORT:
      return "the file ends before the end of its pixels";
    case SPNG_ECHUNK_CRC:
      return "its pixel data fails its checksum";
    default:
      return "its pixel data is corrupt";
  }
}

// Straight alpha over the window's background, rounded to nearest.
void Composite(const uint8_t* rgba, int32_t width, uint8_t* bgr) {
  // A COLORREF holds red in its low byte: blue, green, red are bytes 2, 1, 0.
  constexpr uint32_t kBack[] = {(gdi::kSurfaceBackColor >> 16) & 0xFF, (gdi::kSurfaceBackColor >> 8) & 0xFF,
                                gdi::kSurfaceBackColor & 0xFF};
  for (int32_t x = 0; x < width; ++x, rgba += 4, bgr += 3) {
    const uint32_t a = rgba[3];
    for (int c = 0; c < 3; ++c) {
      const uint32_t front = rgba[2 - c];
      bgr[c] = static_cast<uint8_t>((front * a + kBack[c] * (255 - a) + 127) / 255);
    }
  }
}

void Swap(const uint8_t* rgb, int32_t width, uint8_t* bgr) {
  for (int32_t x = 0; x < width; ++x, rgb += 3, bgr += 3) {
    bgr[0] = rgb[2];
    bgr[1] = rgb[1];
    bgr[2] = rgb[0];
  }
}

}  // namespace

bool PngReader::Takes(std::span<const uint8_t> head) {
  return head.size() >= sizeof kSignature && std::memcmp(head.data(), kSignature, sizeof kSignature) == 0;
}

namespace {

// One PNG being decoded, row by row: a picture that isn't interlaced needs
// one row besides its bitmap; an interlaced one comes in seven passes over
// the whole picture.
class Decoding {
 public:
  explicit Decoding(std::span<const uint8_t> file) : context_(spng_ctx_new(0)) {
    if (!context_) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
    spng_ctx* png = context_.get();
    spng_set_chunk_limits(png, kChunkBytes, kChunkCacheBytes);
    if (spng_set_png_buffer(png, file.data(), file.size()) != 0) throw PictureLimits::NotAPicture();
    if (spng_get_ihdr(png, &header_) != 0) throw PictureLimits::NotAPicture();
    PictureLimits::CheckAnnounced(header_.width, header_.height, file.size(), kDensestPixelsPerByte);
    alpha_ = HasAlpha(png, header_);
    rowBytes_ = (alpha_ ? 4 : 3) * static_cast<size_t>(header_.width);
  }

  int32_t Width() const { return static_cast<int32_t>(header_.width); }
  int32_t Height() const { return static_cast<int32_t>(header_.height); }
  bool Interlaced() const { return header_.interlace_method != SPNG_INTERLACE_NONE; }

  // Columns [left, right) of rows [top, bottom) into `into`, whose row 0 is
  // row `top`; nothing past row `bottom` is decoded. The damage in words, or
  // nothing. The decoder takes in the first chunk of pixel data whole before
  // the first row: damage there leaves nothing to show.
  std::string Rows(gdi::Bitmap& into, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    spng_ctx* png = context_.get();
    const int format = alpha_ ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
    const int started =
        spng_decode_image(png, nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
    if (started == SPNG_EMEM) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
    if (started != 0 && DamagesPixels(started)) return DamageOf(started);
    if (started != 0) throw PictureLimits::NotAPicture();

    const size_t channels = alpha_ ? 4 : 3;
    const auto put = [&](const uint8_t* row, int32_t y) {
      (alpha_ ? Composite : Swap)(row + channels * static_cast<size_t>(left), right - left,
                                  into.MutableRow(y - top));
    };
    const bool interlaced = Interlaced();
    std::vector<uint8_t> rows(rowBytes_ * static_cast<size_t>(interlaced ? Height() : 1));
    std::vector<bool> reached(interlaced ? static_cast<size_t>(Height()) : 0);
    int status = 0;
    for (;;) {
      spng_row_info row{};
      if ((status = spng_get_row_info(png, &row)) != 0) break;
      const auto y = static_cast<int32_t>(row.row_num);
      uint8_t* decoded = rows.data() + (interlaced ? rowBytes_ * row.row_num : 0);
      if ((status = spng_decode_row(png, decoded, rowBytes_)) != 0 && status != SPNG_EOI) break;
      if (interlaced) {
        reached[row.row_num] = true;
      } else if (y >= top) {
        put(decoded, y);
        if (y + 1 == bottom) status = SPNG_EOI;
      }
      if (status == SPNG_EOI) break;
    }
    // What an interlaced picture got before any damage is shown, as far as its passes reached.
    for (int32_t y = top; interlaced && y < bottom; ++y) {
      if (reached[static_cast<size_t>(y)]) put(rows.data() + rowBytes_ * static_cast<size_t>(y), y);
    }
    if (status == SPNG_EOI) return {};
    if (status == SPNG_EMEM) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
    return DamageOf(status);
  }

 private:
  Context context_;
  spng_ihdr header_{};
  bool alpha_ = false;
  size_t rowBytes_ = 0;
};

}  // namespace

DecodedBitmap PngReader::Decode(std::span<const uint8_t> file) {
  Decoding png(file);
  auto bitmap = PictureLimits::NewBitmap(png.Width(), png.Height(), false);
  std::string damage = png.Rows(*bitmap, 0, 0, png.Width(), png.Height());
  return {std::move(bitmap), std::move(damage)};
}

std::optional<PictureRegion> PngReader::DecodeRegion(std::span<const uint8_t> file,
                                                     const RegionChooser& choose) {
  Decoding png(file);
  const int32_t width = png.Width(), height = png.Height();
  const gdi::Rect wanted = choose(width, height);
  const int32_t left = std::clamp(wanted.left, 0, width), right = std::clamp(wanted.right, 0, width);
  const int32_t top = std::clamp(wanted.top, 0, height), bottom = std::clamp(wanted.bottom, 0, height);
  // Seven passes over the whole picture come before its last row is whole.
  if (png.Interlaced() || left >= right || top >= bottom) return std::nullopt;
  auto rows = PictureLimits::NewBitmap(right - left, bottom - top, false);
  std::string damage = png.Rows(*rows, left, top, right, bottom);
  return PictureRegion{
      std::make_shared<const gdi::Picture>(std::move(rows)), left, top, width, height, std::move(damage)};
}

namespace {

// The file a little at a time, as libspng asks for it.
struct FileReading {
  const PictureFile& file;
  uint64_t at = 0;
  std::exception_ptr failure;
};

int ReadFile(spng_ctx*, void* user, void* into, size_t bytes) {
  auto& reading = *static_cast<FileReading*>(user);
  try {
    if (reading.file.ReadUpTo(reading.at, static_cast<uint8_t*>(into), bytes) != bytes) return SPNG_IO_EOF;
  } catch (...) {
    reading.failure = std::current_exception();
    return SPNG_IO_ERROR;
  }
  reading.at += bytes;
  return 0;
}

// A band holds about this many bytes of the needed columns.
constexpr size_t kBandBytes = 4 << 20;

}  // namespace

Streamed PngReader::Stream(const PictureFile& file, BandSink& sink, std::string& damage) {
  Context context(spng_ctx_new(0));
  if (!context) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
  spng_ctx* png = context.get();
  spng_set_chunk_limits(png, kChunkBytes, kChunkCacheBytes);
  FileReading reading{file, 0, nullptr};
  if (spng_set_png_stream(png, ReadFile, &reading) != 0) return Streamed::No;
  spng_ihdr header{};
  if (spng_get_ihdr(png, &header) != 0) {
    if (reading.failure) std::rethrow_exception(reading.failure);
    return Streamed::No;
  }
  if (header.interlace_method != SPNG_INTERLACE_NONE) return Streamed::No;
  const auto width = static_cast<int32_t>(header.width), height = static_cast<int32_t>(header.height);
  PictureLimits::CheckClaim(width, height, static_cast<int64_t>(file.Size()) * kDensestPixelsPerByte,
                            file.Size());
  if (sink.MostShrink(width, height) == 0) return Streamed::No;
  RowTaker& taker = sink.Taker(1, width, height);
  const Range rows = taker.Rows(), columns = taker.Columns();

  const bool alpha = HasAlpha(png, header);
  const int format = alpha ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
  const size_t channels = alpha ? 4 : 3;
  const size_t rowBytes = channels * static_cast<size_t>(width);
  int status = spng_decode_image(png, nullptr, 0, format, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
  if (reading.failure) std::rethrow_exception(reading.failure);
  if (status == SPNG_EMEM) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
  if (status != 0 && !DamagesPixels(status)) throw PictureLimits::NotAPicture();

  const int32_t across = columns.end - columns.first;
  const auto perBand = static_cast<int32_t>(
      std::clamp<size_t>(kBandBytes / (3 * static_cast<size_t>(across)), 1, static_cast<size_t>(rows.end)));
  BandHandOff bands(taker, across, 0, perBand);
  std::vector<uint8_t> decoded(rowBytes);
  const size_t skipped = channels * static_cast<size_t>(columns.first);
  // The next row into `decoded`, false once the pixels are damaged: the rows
  // after that stay black.
  const auto next = [&]() {
    if (status != 0) return false;
    status = spng_decode_row(png, decoded.data(), rowBytes);
    if (status == 0 || status == SPNG_EOI) {
      status = 0;
      return true;
    }
    if (reading.failure) std::rethrow_exception(reading.failure);
    if (status == SPNG_EMEM) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
    return false;
  };
  for (int32_t y = 0; y < rows.first; ++y) {
    if (y % perBand == 0 && sink.Stop(static_cast<double>(y) / rows.end)) throw StreamStopped();
    next();
  }
  for (int32_t first = rows.first; first < rows.end;) {
    if (sink.Stop(static_cast<double>(first) / rows.end)) throw StreamStopped();
    const int32_t count = std::min(perBand, rows.end - first);
    for (int32_t r = 0; r < count; ++r) {
      if (next()) {
        (alpha ? Composite : Swap)(decoded.data() + skipped, across, bands.Row(r));
      } else {
        std::memset(bands.Row(r), 0, 3 * static_cast<size_t>(across));
      }
    }
    bands.Pass(0, count);
    first += count;
  }
  bands.Finish();
  if (status != 0) damage = DamageOf(status);
  return Streamed::Yes;
}

}  // namespace formats
