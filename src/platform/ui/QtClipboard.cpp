#include "platform/ui/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/gdi/Gdi.h"

namespace platform {

void QtClipboard::Install() {
  gdi::SetClipboardSink([](const gdi::Bitmap& bitmap) {
    QImage image = ToImage(bitmap);
    if (image.isNull()) return false;
    QGuiApplication::clipboard()->setImage(image);
    return true;
  });
}

QImage QtClipboard::ToImage(const gdi::Bitmap& bitmap) {
  if (bitmap.Width() <= 0 || bitmap.Height() <= 0) return QImage();
  QImage view(bitmap.Bits(), bitmap.Width(), bitmap.Height(), static_cast<qsizetype>(bitmap.Stride()),
              QImage::Format_BGR888);
  return bitmap.BottomUp() ? view.mirrored(false, true) : view.copy();
}

}  // namespace platform
