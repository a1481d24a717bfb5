#include "platform/ui/QtPictureReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cstring>
#include <mutex>

#include "codecs/PictureDecoder.h"

namespace platform {
namespace {

// Qt counts 4 bytes a pixel while decoding; its limit sits just above ours,
// so it never refuses a picture we accept.
constexpr int kQtAllocationLimitMb = static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)) + 1;

// The limit is global to Qt: set once, so pictures decoded on several threads never race on it.
void LimitQtAllocations() {
  static std::once_flag once;
  std::call_once(once, [] { QImageReader::setAllocationLimit(kQtAllocationLimitMb); });
}

// Run lengths that skip whole stretches of a BMP come densest of the kinds Qt reads.
constexpr int64_t kDensestPixelsPerByte = 1 << 16;

}  // namespace

void QtPictureReader::Install() { UseOtherKindsReader(&QtPictureReader::Decode); }

std::unique_ptr<gdi::Bitmap> QtPictureReader::Decode(std::span<const uint8_t> file) {
  LimitQtAllocations();
  QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                            static_cast<qsizetype>(file.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  QSize announced = reader.size();
  if (announced.isValid()) {
    PictureLimits::CheckSize(announced.width(), announced.height());
    PictureLimits::CheckClaim(announced.width(), announced.height(),
                              PictureLimits::HeldAt(file.size(), kDensestPixelsPerByte), file.size());
  }
  QImage image;
  if (!reader.read(&image)) throw PictureLimits::NotAPicture();
  PictureLimits::CheckSize(image.width(), image.height());
  image = std::move(image).convertToFormat(QImage::Format_BGR888);
  if (image.isNull()) throw AppError::Standard(ErrorNumber::OutOfMemory);
  auto bitmap = PictureLimits::NewBitmap(image.width(), image.height(), false);
  uint8_t* bits = bitmap->MutableBits();
  const size_t rowBytes = 3 * static_cast<size_t>(image.width());
  for (int y = 0; y < image.height(); ++y) std::memcpy(bits + bitmap->RowOffset(y), image.constScanLine(y), rowBytes);
  return bitmap;
}

}  // namespace platform
