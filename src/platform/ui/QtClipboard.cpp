#include "platform/ui/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <cstring>

#include "platform/gdi/Gdi.h"

namespace platform {

void QtClipboard::Install() {
  gdi::SetClipboardSink([](const gdi::Bitmap& bitmap) { return Put(bitmap); });
}

// The toolkit offers the picture in every form other programs ask for, PNG among them.
bool QtClipboard::Put(const gdi::Bitmap& bitmap) {
  QImage image = ToImage(bitmap);
  if (image.isNull()) return false;
  QGuiApplication::clipboard()->setImage(image);
  return true;
}

std::unique_ptr<gdi::Bitmap> QtClipboard::Take() { return FromImage(QGuiApplication::clipboard()->image()); }

std::unique_ptr<gdi::Bitmap> QtClipboard::FromImage(const QImage& image) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return nullptr;
  QImage opaque(image.size(), QImage::Format_RGB888);
  if (image.hasAlphaChannel()) {
    opaque.fill(Qt::white);
    QPainter painter(&opaque);
    painter.drawImage(0, 0, image);
  } else {
    opaque = image.convertToFormat(QImage::Format_BGR888);
  }
  if (opaque.format() != QImage::Format_BGR888) opaque = opaque.convertToFormat(QImage::Format_BGR888);
  auto bitmap = gdi::Bitmap::Create(opaque.width(), opaque.height(), false);
  if (!bitmap) return nullptr;
  const size_t bytes = 3 * static_cast<size_t>(opaque.width());
  for (int y = 0; y < opaque.height(); ++y)
    std::memcpy(bitmap->MutableRow(y), opaque.constScanLine(y), bytes);
  return bitmap;
}

QImage QtClipboard::ToImage(const gdi::Bitmap& bitmap) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0) return QImage();
  QImage view(bitmap.Bits(), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.Stride()),
              QImage::Format_BGR888);
  return bitmap.BottomUp() ? view.mirrored(false, true) : view.copy();
}

}  // namespace platform
