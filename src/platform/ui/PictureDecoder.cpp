#include "platform/ui/PictureDecoder.h"

#include <turbojpeg.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/base/AppError.h"

namespace platform {
namespace {

// Qt counts 4 bytes a pixel while decoding; its limit sits just above ours,
// so it never refuses a picture we accept.
constexpr int kQtAllocationLimitMb = static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)) + 1;

AppError InvalidPicture() { return AppError::Standard(ErrorNumber::InvalidPicture); }

void CheckSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) throw InvalidPicture();
  if (width * height > kMaxPicturePixels) {
    throw AppError::WithDescription(ErrorNumber::OutOfMemory,
                                    "The picture is too large to open: " + std::to_string(width) + " x " +
                                        std::to_string(height) + " pixels (the limit is " +
                                        std::to_string(kMaxPicturePixels / 1'000'000) + " megapixels)");
  }
}

std::unique_ptr<gdi::Bitmap> NewBitmap(int width, int height) {
  auto bitmap = gdi::Bitmap::Create(width, height, false);
  if (!bitmap) throw AppError::Standard(ErrorNumber::OutOfMemory);
  return bitmap;
}

QByteArray ReadFile(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) throw AppError::Standard(ErrorNumber::PathFileAccess);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    if (errno == ENOENT)
      throw AppError::WithDescription(ErrorNumber::FileNotFound, "File not found: " + path);
    throw AppError::FromErrno(errno, path);
  }
  QByteArray data;
  char chunk[1 << 16];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
    data.append(chunk, static_cast<qsizetype>(got));
  if (std::ferror(file.get())) throw AppError::FromErrno(errno, path);
  return data;
}

bool LooksLikeJpeg(const QByteArray& data) {
  return data.size() >= 3 && static_cast<uint8_t>(data[0]) == 0xFF && static_cast<uint8_t>(data[1]) == 0xD8 &&
         static_cast<uint8_t>(data[2]) == 0xFF;
}

// Null when libjpeg-turbo can't produce the picture (CMYK, damaged): Qt gets a try.
std::unique_ptr<gdi::Bitmap> DecodeJpeg(const QByteArray& data) {
  std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), &tjDestroy);
  if (!handle) return nullptr;
  const auto* jpeg = reinterpret_cast<const unsigned char*>(data.constData());
  const auto size = static_cast<unsigned long>(data.size());
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (tjDecompressHeader3(handle.get(), jpeg, size, &width, &height, &subsampling, &colourspace) != 0) {
    return nullptr;
  }
  CheckSize(width, height);
  if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) return nullptr;
  auto bitmap = NewBitmap(width, height);
  // Top-down blue-green-red rows straight into the bitmap, padding and all.
  int failed = tjDecompress2(handle.get(), jpeg, size, bitmap->MutableBits(), width,
                             static_cast<int>(bitmap->Stride()), height, TJPF_BGR, 0);
  if (failed && tjGetErrorCode(handle.get()) != TJERR_WARNING) return nullptr;
  return bitmap;
}

// The limit is global to Qt: set once, so pictures decoded on several threads never race on it.
void LimitQtAllocations() {
  static std::once_flag once;
  std::call_once(once, [] { QImageReader::setAllocationLimit(kQtAllocationLimitMb); });
}

std::unique_ptr<gdi::Bitmap> DecodeWithQt(QByteArray& data) {
  LimitQtAllocations();
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  QSize announced = reader.size();
  if (announced.isValid()) CheckSize(announced.width(), announced.height());
  QImage image;
  if (!reader.read(&image)) throw InvalidPicture();
  CheckSize(image.width(), image.height());
  image = std::move(image).convertToFormat(QImage::Format_BGR888);
  if (image.isNull()) throw AppError::Standard(ErrorNumber::OutOfMemory);
  auto bitmap = NewBitmap(image.width(), image.height());
  uint8_t* bits = bitmap->MutableBits();
  const size_t rowBytes = 3 * static_cast<size_t>(image.width());
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(bits + bitmap->RowOffset(y), image.constScanLine(y), rowBytes);
  return bitmap;
}

}  // namespace

gdi::PicturePtr LoadPicture(const std::string& path) {
  if (path.empty()) return std::make_shared<const gdi::Picture>();
  QByteArray data = ReadFile(path);
  std::unique_ptr<gdi::Bitmap> bitmap = LooksLikeJpeg(data) ? DecodeJpeg(data) : nullptr;
  if (!bitmap) bitmap = DecodeWithQt(data);
  return std::make_shared<const gdi::Picture>(std::move(bitmap));
}

}  // namespace platform
