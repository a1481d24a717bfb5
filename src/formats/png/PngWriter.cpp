#include "formats/png/PngWriter.h"

#include <spng.h>

#include <memory>
#include <vector>

#include "platform/base/AppError.h"
#include "platform/base/AtomicFile.h"

namespace formats {
namespace {

struct ContextFree {
  void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

// The sink may raise; libspng is C and must not be unwound through, so the
// error waits here until the encoder has returned.
struct Stream {
  platform::ByteSink* sink;
  std::exception_ptr failure;
};

int WriteOut(spng_ctx*, void* user, void* bytes, size_t length) {
  auto* stream = static_cast<Stream*>(user);
  try {
    stream->sink->Write({static_cast<const uint8_t*>(bytes), length});
    return 0;
  } catch (...) {
    stream->failure = std::current_exception();
    return SPNG_IO_ERROR;
  }
}

platform::AppError EncoderFailed(int error) {
  if (error == SPNG_EMEM) return platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
  return platform::AppError::WithDescription(platform::ErrorNumber::InvalidArgument,
                                             std::string("The PNG encoder failed: ") + spng_strerror(error));
}

}  // namespace

void PngWriter::Encode(platform::ByteSink& sink, const gdi::Bitmap& bitmap) {
  const int32_t width = bitmap.Width(), height = bitmap.Height();
  if (width <= 0 || height <= 0) throw platform::AppError::Standard(platform::ErrorNumber::InvalidArgument);
  std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!context) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
  spng_ctx* png = context.get();
  Stream stream{&sink, nullptr};
  spng_ihdr header{};
  header.width = static_cast<uint32_t>(width);
  header.height = static_cast<uint32_t>(height);
  header.bit_depth = 8;
  header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  int error = spng_set_png_stream(png, WriteOut, &stream);
  if (!error) error = spng_set_ihdr(png, &header);
  if (!error) error = spng_set_option(png, SPNG_IMG_COMPRESSION_LEVEL, kCompressionLevel);
  if (!error) error = spng_set_option(png, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_SUB);
  if (!error)
    error = spng_encode_image(png, nullptr, 0, SPNG_FMT_PNG, SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
  std::vector<uint8_t> rgb(3 * static_cast<size_t>(width));
  for (int32_t y = 0; y < height && !error; ++y) {
    const uint8_t* bgr = bitmap.Row(y);
    for (size_t i = 0; i < rgb.size(); i += 3) {
      rgb[i] = bgr[i + 2];
      rgb[i + 1] = bgr[i + 1];
      rgb[i + 2] = bgr[i];
    }
    error = spng_encode_row(png, rgb.data(), rgb.size());
  }
  if (stream.failure) std::rethrow_exception(stream.failure);
  if (error && error != SPNG_EOI) throw EncoderFailed(error);
}

void PngWriter::Save(const gdi::Bitmap& bitmap, const std::string& path) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0)
    throw platform::AppError::Standard(platform::ErrorNumber::InvalidArgument);
  platform::AtomicFile file(path);
  Encode(file, bitmap);
  file.Commit();
}

}  // namespace formats
