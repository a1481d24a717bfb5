#include "formats/jpeg/JpegReader.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "formats/PictureLimits.h"
#include "platform/base/LibraryMessages.h"

// After turbojpeg.h: jpeglib.h needs <cstdio> first and defines names it uses too.
#include <jerror.h>
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
  std::string firstError;
  bool tooManyScans = false;
  // The last warning kept, and how many were.
  int lastCode = -1;
  int kept = 0;
};

// A file's end reached inside a segment gives a warning for every two bytes
// the segment claims past it: tens of thousands from a 10-byte file. The same
// warning again says nothing new, and a few dozen say all there is to say.
constexpr int kMostWarnings = 32;

[[noreturn]] void JumpOut(j_common_ptr info) {
  auto* error = reinterpret_cast<ErrorJump*>(info->err);
  char text[JMSG_LENGTH_MAX] = {};
  error->manager.format_message(info, text);
  error->firstError = text;
  std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

// Warnings (damaged data) decode as far as they can, as a whole decode does;
// the first says how the file is damaged.
// Warnings are kept with the picture's library lines (shown when asked for).
void KeepFirstWarning(j_common_ptr info, int level) {
  auto* error = reinterpret_cast<ErrorJump*>(info->err);
  if (level >= 0) return;
  const int code = error->manager.msg_code;
  if (code == error->lastCode || error->kept >= kMostWarnings) return;
  error->lastCode = code;
  ++error->kept;
  char text[JMSG_LENGTH_MAX] = {};
  error->manager.format_message(info, text);
  platform::LibraryMessages::Note("libjpeg", text);
  if (error->firstWarning.empty()) error->firstWarning = text;
}

// Every scan walks the whole picture again, however few bytes it takes: a
// small file of thousands of empty scans would keep a core busy for minutes.
void LimitScans(j_common_ptr info) {
  auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number <= JpegReader::kMostScans) return;
  reinterpret_cast<ErrorJump*>(info->err)->tooManyScans = true;
  JumpOut(info);
}

// A decompressor whose errors return to the caller instead of ending the program.
class Decompressor {
 public:
  Decompressor() {
    info_.err = jpeg_std_error(&error_.manager);
    error_.manager.error_exit = JumpOut;
    error_.manager.emit_message = KeepFirstWarning;
    jpeg_create_decompress(&info_);
    progress_.progress_monitor = LimitScans;
    info_.progress = &progress_;
  }
  ~Decompressor() { jpeg_destroy_decompress(&info_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  jpeg_decompress_struct& Info() { return info_; }
  std::jmp_buf& Jump() { return error_.jump; }
  const std::string& Damage() const { return error_.firstWarning; }
  const std::string& Error() const { return error_.firstError; }
  bool Cmyk() const { return info_.out_color_space == JCS_CMYK; }

  // Why the decode stopped, once it has: too many scans, or libjpeg's own words.
  platform::AppError Failure() {
    if (error_.tooManyScans) {
      return PictureLimits::Damaged("it has more than " + std::to_string(JpegReader::kMostScans) +
                                    " scans, far more than any picture needs");
    }
    char text[JMSG_LENGTH_MAX] = {};
    error_.manager.format_message(reinterpret_cast<j_common_ptr>(&info_), text);
    return PictureLimits::Damaged(text);
  }

 private:
  ErrorJump error_;
  jpeg_progress_mgr progress_{};
  jpeg_decompress_struct info_;
};

struct Span {
  int32_t begin = 0;
  int32_t end = 0;
};

Span WithMargin(int32_t begin, int32_t end, int32_t size) {
  return {std::max(begin - kMargin, 0), std::min(end + kMargin, size)};
}

bool ReadHeaderFromSource(Decompressor& d);

// A file read a little at a time. A read that fails ends the data as a file
// cut short does, and is raised once the library is left.
class FileSource {
 public:
  static constexpr size_t kBytes = 256 * 1024;

  FileSource(const PictureFile& file, jpeg_decompress_struct& info) : file_(file), buffer_(kBytes) {
    manager_.owner = this;
    manager_.init_source = [](j_decompress_ptr) {};
    manager_.fill_input_buffer = Fill;
    manager_.skip_input_data = Skip;
    manager_.resync_to_restart = jpeg_resync_to_restart;
    manager_.term_source = [](j_decompress_ptr) {};
    manager_.bytes_in_buffer = 0;
    manager_.next_input_byte = nullptr;
    info.src = &manager_;
  }

  void RaiseFailedRead() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  struct Manager : jpeg_source_mgr {
    FileSource* owner;
  };

  static FileSource& Of(j_decompress_ptr info) { return *static_cast<Manager*>(info->src)->owner; }

  // As libjpeg's own file source: past the end, a warning and an end marker.
  static boolean Fill(j_decompress_ptr info) {
    FileSource& s = Of(info);
    size_t got = 0;
    try {
      got = s.file_.ReadUpTo(s.at_, s.buffer_.data(), s.buffer_.size());
    } catch (...) {
      s.failure_ = std::current_exception();
    }
    if (got == 0) {
      WARNMS(info, JWRN_JPEG_EOF);
      s.buffer_[0] = 0xFF;
      s.buffer_[1] = JPEG_EOI;
      got = 2;
    } else {
      s.at_ += got;
    }
    s.manager_.next_input_byte = s.buffer_.data();
    s.manager_.bytes_in_buffer = got;
    return TRUE;
  }

  static void Skip(j_decompress_ptr info, long count) {
    FileSource& s = Of(info);
    if (count <= 0) return;
    const auto wanted = static_cast<size_t>(count);
    if (wanted <= s.manager_.bytes_in_buffer) {
      s.manager_.next_input_byte += wanted;
      s.manager_.bytes_in_buffer -= wanted;
      return;
    }
    s.at_ += wanted - s.manager_.bytes_in_buffer;
    s.manager_.bytes_in_buffer = 0;
  }

  Manager manager_{};
  const PictureFile& file_;
  std::vector<uint8_t> buffer_;
  uint64_t at_ = 0;
  std::exception_ptr failure_;
};

// Blue-green-red, accurate integer transform, smooth upsampling; four-channel
// pictures come as CMYK and are turned to colour row by row.
bool ReadHeader(Decompressor& d, std::span<const uint8_t> file) {
  if (setjmp(d.Jump())) return false;
  jpeg_mem_src(&d.Info(), file.data(), static_cast<unsigned long>(file.size()));
  return ReadHeaderFromSource(d);
}

bool ReadHeaderFromSource(Decompressor& d) {
  if (setjmp(d.Jump())) return false;
  jpeg_read_header(&d.Info(), TRUE);
  const J_COLOR_SPACE space = d.Info().jpeg_color_space;
  d.Info().out_color_space = space == JCS_CMYK || space == JCS_YCCK ? JCS_CMYK : JCS_EXT_BGR;
  d.Info().dct_method = JDCT_ISLOW;
  d.Info().do_fancy_upsampling = TRUE;
  return true;
}

// Columns from *left, *width of them, widened by the library to whole blocks.
bool Start(Decompressor& d, JDIMENSION* left, JDIMENSION* width, JDIMENSION top) {
  if (setjmp(d.Jump())) return false;
  jpeg_start_decompress(&d.Info());
  if (left) jpeg_crop_scanline(&d.Info(), left, width);
  if (top > 0 && jpeg_skip_scanlines(&d.Info(), top) != top) return false;
  return true;
}

// Four-channel JPEGs are written as Photoshop writes them, ink inverted (255
// is no ink), with or without its Adobe segment; so every other reader
// takes them too.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr, int32_t width) {
  for (int32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = cmyk[3];
    bgr[0] = static_cast<uint8_t>((cmyk[2] * k + 127) / 255);
    bgr[1] = static_cast<uint8_t>((cmyk[1] * k + 127) / 255);
    bgr[2] = static_cast<uint8_t>((cmyk[0] * k + 127) / 255);
  }
}

bool ReadRows(Decompressor& d, gdi::Bitmap& rows) {
  std::vector<uint8_t> cmyk(d.Cmyk() ? 4 * static_cast<size_t>(d.Info().output_width) : 0);
  if (setjmp(d.Jump())) return false;
  for (int32_t y = 0; y < rows.Height();) {
    JSAMPROW row = d.Cmyk() ? cmyk.data() : rows.MutableRow(y);
    const JDIMENSION got = jpeg_read_scanlines(&d.Info(), &row, 1);
    if (got == 0) return false;
    if (d.Cmyk()) {
      CmykToBgr(cmyk.data(), rows.MutableRow(y),
                std::min(rows.Width(), static_cast<int32_t>(d.Info().output_width)));
    }
    y += static_cast<int32_t>(got);
  }
  return true;
}

// At 1/shrink of the picture's size, rounded up.
bool StartScaled(Decompressor& d, int shrink) {
  if (setjmp(d.Jump())) return false;
  d.Info().scale_num = 1;
  d.Info().scale_denom = static_cast<unsigned>(shrink);
  jpeg_calc_output_dimensions(&d.Info());
  return true;
}

bool ReadBand(Decompressor& d, std::vector<JSAMPROW>& rows, int32_t count) {
  if (setjmp(d.Jump())) return false;
  for (int32_t y = 0; y < count;) {
    const JDIMENSION got =
        jpeg_read_scanlines(&d.Info(), rows.data() + y, static_cast<JDIMENSION>(count - y));
    if (got == 0) return false;
    y += static_cast<int32_t>(got);
  }
  return true;
}

// Rows at a time: enough to keep the library's own buffers busy, and a few
// megabytes a band, so handing one to the other core costs little.
constexpr int32_t kBandRows = 16;
constexpr size_t kBandBytes = 2 << 20;

bool Finish(Decompressor& d) {
  if (setjmp(d.Jump())) return false;
  jpeg_finish_decompress(&d.Info());
  return true;
}

}  // namespace

bool JpegReader::Takes(std::span<const uint8_t> head) {
  return head.size() >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

// Bottom-up blue-green-red rows straight into the bitmap: laid out as a DIB
// is, so the window's working bitmap can share them.
DecodedBitmap JpegReader::Decode(std::span<const uint8_t> file) {
  Decompressor d;
  if (!ReadHeader(d, file)) throw d.Failure();
  const auto width = static_cast<int32_t>(d.Info().image_width);
  const auto height = static_cast<int32_t>(d.Info().image_height);
  PictureLimits::CheckAnnounced(width, height, file.size(), kDensestPixelsPerByte);
  if (!Start(d, nullptr, nullptr, 0)) throw d.Failure();
  auto bitmap = PictureLimits::NewBitmap(width, height, true);
  if (!ReadRows(d, *bitmap) || !Finish(d)) throw d.Failure();
  return {std::move(bitmap), d.Damage()};
}

std::optional<PictureRegion> JpegReader::DecodeRegion(std::span<const uint8_t> file,
                                                      const RegionChooser& choose) {
  Decompressor d;
  if (!ReadHeader(d, file)) throw d.Failure();
  const auto width = static_cast<int32_t>(d.Info().image_width);
  const auto height = static_cast<int32_t>(d.Info().image_height);
  PictureLimits::CheckAnnounced(width, height, file.size(), kDensestPixelsPerByte);
  const gdi::Rect wanted = choose(width, height);
  const Span xs = WithMargin(std::clamp(wanted.left, 0, width), std::clamp(wanted.right, 0, width), width);
  const Span ys = WithMargin(std::clamp(wanted.top, 0, height), std::clamp(wanted.bottom, 0, height), height);
  if (xs.end <= xs.begin || ys.end <= ys.begin) return std::nullopt;
  auto left = static_cast<JDIMENSION>(xs.begin);
  auto columns = static_cast<JDIMENSION>(xs.end - xs.begin);
  if (!Start(d, &left, &columns, static_cast<JDIMENSION>(ys.begin))) throw d.Failure();
  auto rows = PictureLimits::NewBitmap(static_cast<int32_t>(columns), ys.end - ys.begin, false);
  if (!ReadRows(d, *rows)) throw d.Failure();
  // The rest of the file is never read.
  jpeg_abort_decompress(&d.Info());
  return PictureRegion{std::make_shared<const gdi::Picture>(std::move(rows)),
                       static_cast<int32_t>(left),
                       ys.begin,
                       width,
                       height,
                       d.Damage()};
}

Streamed JpegReader::Stream(const PictureFile& file, BandSink& sink, std::string& damage) {
  Decompressor d;
  FileSource source(file, d.Info());
  if (!ReadHeaderFromSource(d)) {
    source.RaiseFailedRead();
    return Streamed::No;
  }
  const auto width = static_cast<int32_t>(d.Info().image_width);
  const auto height = static_cast<int32_t>(d.Info().image_height);
  PictureLimits::CheckClaim(width, height, static_cast<int64_t>(file.Size()) * kDensestPixelsPerByte,
                            file.Size());
  // Ink turns to colour row by row in the whole decode alone.
  if (d.Cmyk()) return Streamed::No;
  const int shrink = sink.MostShrink(width, height);
  if (shrink == 0 || !StartScaled(d, shrink)) return Streamed::No;
  RowTaker& taker = sink.Taker(shrink, static_cast<int32_t>(d.Info().output_width),
                               static_cast<int32_t>(d.Info().output_height));
  const Range rows = taker.Rows(), columns = taker.Columns();
  // Decoded with a margin, as DecodeRegion does, so the edges come out as in a whole decode.
  const Span xs = WithMargin(columns.first, columns.end, static_cast<int32_t>(d.Info().output_width));
  const int32_t firstRow = std::max(rows.first - kMargin, 0);
  auto left = static_cast<JDIMENSION>(xs.begin);
  auto across = static_cast<JDIMENSION>(xs.end - xs.begin);
  const auto failed = [&] {
    source.RaiseFailedRead();
    return d.Failure();
  };
  if (!Start(d, &left, &across, static_cast<JDIMENSION>(firstRow))) throw failed();
  const size_t stride = 3 * static_cast<size_t>(across);
  const auto perBand =
      static_cast<int32_t>(std::clamp<size_t>(kBandBytes / stride, kBandRows, static_cast<size_t>(rows.end)));
  BandHandOff bands(taker, static_cast<int32_t>(across), columns.first - static_cast<int32_t>(left), perBand);
  std::vector<JSAMPROW> pointers(static_cast<size_t>(perBand));
  for (int32_t y = firstRow; y < rows.end;) {
    if (sink.Stop(static_cast<double>(y - firstRow) / (rows.end - firstRow))) throw StreamStopped();
    const int32_t count = std::min(perBand, rows.end - y);
    for (int32_t r = 0; r < count; ++r) pointers[static_cast<size_t>(r)] = bands.Row(r);
    if (!ReadBand(d, pointers, count)) throw failed();
    // The margin's rows only set the decoder going.
    const int32_t skipped = std::clamp(rows.first - y, 0, count);
    bands.Pass(skipped, count - skipped);
    y += count;
  }
  bands.Finish();
  jpeg_abort_decompress(&d.Info());
  source.RaiseFailedRead();
  damage = d.Damage();
  return Streamed::Yes;
}

}  // namespace formats
