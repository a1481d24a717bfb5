#include "formats/jpeg/JpegReader.h"

#include <turbojpeg.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <string>

#include "formats/PictureLimits.h"

// After turbojpeg.h: jpeglib.h needs <cstdio> first and defines names it uses too.
#include <jpeglib.h>

namespace formats {
namespace {

// Beyond the chosen part: upsampling and block smoothing look this far
// across, so its edges decode as in the whole picture.
constexpr int32_t kMargin = 16;
// Arithmetic coding of a plain picture spends far less than a bit on a block;
// Huffman coding at least two.
constexpr int64_t kDensestPixelsPerByte = 4096;

struct ErrorJump {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  std::string firstWarning;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

// Warnings (damaged data) decode as far as they can, as a whole decode does;
// the first says how the file is damaged.
void KeepFirstWarning(j_common_ptr info, int level) {
  auto* error = reinterpret_cast<ErrorJump*>(info->err);
  if (level >= 0 || !error->firstWarning.empty()) return;
  char text[JMSG_LENGTH_MAX] = {};
  error->manager.format_message(info, text);
  error->firstWarning = text;
}

// A decompressor whose errors return to the caller instead of ending the program.
class Decompressor {
 public:
  Decompressor() {
    info_.err = jpeg_std_error(&error_.manager);
    error_.manager.error_exit = JumpOut;
    error_.manager.emit_message = KeepFirstWarning;
    jpeg_create_decompress(&info_);
  }
  ~Decompressor() { jpeg_destroy_decompress(&info_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct& Info() { return info_; }
  std::jmp_buf& Jump() { return error_.jump; }
  const std::string& Damage() const { return error_.firstWarning; }

 private:
  ErrorJump error_;
  jpeg_decompress_struct info_;
};

struct Span {
  int32_t begin = 0;
  int32_t end = 0;
};

Span WithMargin(int32_t begin, int32_t end, int32_t size) {
  return {std::max(begin - kMargin, 0), std::min(end + kMargin, size)};
}

// As TurboJPEG decodes a whole picture: blue-green-red, accurate integer
// transform, smooth upsampling.
bool ReadHeader(Decompressor& d, std::span<const uint8_t> file) {
  if (setjmp(d.Jump())) return false;
  jpeg_mem_src(&d.Info(), file.data(), static_cast<unsigned long>(file.size()));
  jpeg_read_header(&d.Info(), TRUE);
  const J_COLOR_SPACE space = d.Info().jpeg_color_space;
  if (space == JCS_CMYK || space == JCS_YCCK) return false;
  d.Info().out_color_space = JCS_EXT_BGR;
  d.Info().dct_method = JDCT_ISLOW;
  d.Info().do_fancy_upsampling = TRUE;
  return true;
}

// Columns from *left, *width of them, widened by the library to whole blocks.
bool Start(Decompressor& d, JDIMENSION* left, JDIMENSION* width, JDIMENSION top) {
  if (setjmp(d.Jump())) return false;
  jpeg_start_decompress(&d.Info());
  jpeg_crop_scanline(&d.Info(), left, width);
  if (top > 0 && jpeg_skip_scanlines(&d.Info(), top) != top) return false;
  return true;
}

bool ReadRows(Decompressor& d, gdi::Bitmap& rows) {
  if (setjmp(d.Jump())) return false;
  for (int32_t y = 0; y < rows.Height();) {
    JSAMPROW row = rows.MutableRow(y);
    const JDIMENSION got = jpeg_read_scanlines(&d.Info(), &row, 1);
    if (got == 0) return false;
    y += static_cast<int32_t>(got);
  }
  return true;
}

}  // namespace

bool JpegReader::Takes(std::span<const uint8_t> head) {
  return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

DecodedBitmap JpegReader::Decode(std::span<const uint8_t> file) {
  std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), &tjDestroy);
  if (!handle) return {};
  const auto size = static_cast<unsigned long>(file.size());
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(handle.get(), file.data(), size, &width, &height, &subsampling, &colourspace) !=
      0) {
    return {};
  }
  PictureLimits::CheckAnnounced(width, height, file.size(), kDensestPixelsPerByte);
  if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) return {};
  // Bottom-up blue-green-red rows straight into the bitmap, padding and all:
  // laid out as a DIB is, so the window's working bitmap can share them.
  auto bitmap = PictureLimits::NewBitmap(width, height, true);
  int failed = tjDecompress2(handle.get(), file.data(), size, bitmap->MutableBits(), width,
                             static_cast<int>(bitmap->Stride()), height, TJPF_BGR, TJFLAG_BOTTOMUP);
  if (!failed) return {std::move(bitmap), {}};
  if (tjGetErrorCode(handle.get()) != TJERR_WARNING) return {};
  return {std::move(bitmap), tjGetErrorStr2(handle.get())};
}

std::optional<PictureRegion> JpegReader::DecodeRegion(std::span<const uint8_t> file,
                                                      const RegionChooser& choose) {
  Decompressor d;
  if (!ReadHeader(d, file)) return std::nullopt;
  const auto width = static_cast<int32_t>(d.Info().image_width);
  const auto height = static_cast<int32_t>(d.Info().image_height);
  PictureLimits::CheckAnnounced(width, height, file.size(), kDensestPixelsPerByte);
  const gdi::Rect wanted = choose(width, height);
  const Span xs = WithMargin(std::clamp(wanted.left, 0, width), std::clamp(wanted.right, 0, width), width);
  const Span ys = WithMargin(std::clamp(wanted.top, 0, height), std::clamp(wanted.bottom, 0, height), height);
  if (xs.end <= xs.begin || ys.end <= ys.begin) return std::nullopt;
  auto left = static_cast<JDIMENSION>(xs.begin);
  auto columns = static_cast<JDIMENSION>(xs.end - xs.begin);
  if (!Start(d, &left, &columns, static_cast<JDIMENSION>(ys.begin))) return std::nullopt;
  auto rows = PictureLimits::NewBitmap(static_cast<int32_t>(columns), ys.end - ys.begin, false);
  if (!ReadRows(d, *rows)) return std::nullopt;
  // The rest of the file is never read.
  jpeg_abort_decompress(&d.Info());
  return PictureRegion{std::make_shared<const gdi::Picture>(std::move(rows)),
                       static_cast<int32_t>(left),
                       ys.begin,
                       width,
                       height,
                       d.Damage()};
}

}  // namespace formats
