#include "formats/qt/QtPictureReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "formats/PictureDecoder.h"

namespace formats {
namespace {

// Qt counts 4 bytes a pixel while decoding; its limit sits just above ours,
// so it never refuses a picture we accept.
constexpr int kQtAllocationLimitMb = static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024)) + 1;

// The limit is global to Qt: set once, so pictures decoded on several threads never race on it.
void LimitQtAllocations() {
  static std::once_flag once;
  std::call_once(once, [] { QImageReader::setAllocationLimit(kQtAllocationLimitMb); });
}

// A one-bit PNG at deflate's best comes densest of the kinds Qt reads.
constexpr int64_t kDensestPixelsPerByte = 8192;

// A picture of the size and format the reader announces, black: a reader
// that decodes into it leaves black, not old memory, where a damaged file
// holds no pixels. A top-down BMP is announced with a negative height.
QImage BlankFor(QImageReader& reader, size_t fileBytes) {
  const QSize announced = reader.size();
  if (announced == QSize()) return {};
  const int64_t width = std::abs(int64_t{announced.width()}), height = std::abs(int64_t{announced.height()});
  PictureLimits::CheckAnnounced(width, height, fileBytes, kDensestPixelsPerByte);
  if (reader.imageFormat() == QImage::Format_Invalid) return {};
  QImage blank(static_cast<int>(width), static_cast<int>(height), reader.imageFormat());
  blank.fill(0);
  return blank;
}

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
  QImage image = BlankFor(reader, file.size());
  if (!reader.read(&image)) throw PictureLimits::NotAPicture();
  PictureLimits::CheckSize(image.width(), image.height());
  image = std::move(image).convertToFormat(QImage::Format_BGR888);
  if (image.isNull()) throw platform::AppError::Standard(platform::ErrorNumber::OutOfMemory);
  auto bitmap = PictureLimits::NewBitmap(image.width(), image.height(), false);
  uint8_t* bits = bitmap->MutableBits();
  const size_t rowBytes = 3 * static_cast<size_t>(image.width());
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(bits + bitmap->RowOffset(y), image.constScanLine(y), rowBytes);
  return bitmap;
}

}  // namespace formats
