#include "app/DropOpener.h"

#include <QBuffer>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImageReader>
#include <QMimeData>
#include <filesystem>

#include "app/Form1.h"
#include "formats/PictureFile.h"
#include "platform/base/AppError.h"
#include "platform/ui/HandlerGuard.h"

DropOpener::DropOpener(Form1& window) : QObject(&window), window_(window) {
  window.setAcceptDrops(true);
  window.installEventFilter(this);
}

std::optional<std::string> DropOpener::PictureIn(const QMimeData& data) {
  if (!data.hasUrls() || data.urls().size() != 1 || !data.urls().front().isLocalFile()) return std::nullopt;
  // The address keeps bytes that are not UTF-8 percent-encoded; its text would lose them.
  const QUrl& url = data.urls().front();
  const std::string path =
      QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
  if (!LooksLikePicture(path)) return std::nullopt;
  return std::filesystem::absolute(path).string();
}

std::optional<std::string> DropOpener::PictureArgument(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2 || arguments[1].empty()) return std::nullopt;
  return std::filesystem::absolute(arguments[1]).string();
}

// The header decides, not the name: a picture renamed still opens, a text file
// named .jpg does not. Only a regular file is looked into, without waiting.
bool DropOpener::LooksLikePicture(const std::string& path) {
  constexpr size_t kHeaderBytes = 4096;
  std::vector<uint8_t> head;
  try {
    head = formats::PictureFile(path).Head(kHeaderBytes);
  } catch (const platform::AppError&) {
    return false;
  }
  QByteArray header = QByteArray::fromRawData(reinterpret_cast<const char*>(head.data()),
                                              static_cast<qsizetype>(head.size()));
  QBuffer buffer(&header);
  buffer.open(QIODevice::ReadOnly);
  return !QImageReader::imageFormat(&buffer).isEmpty();
}

bool DropOpener::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_) return false;
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    // The file is looked into once a drag, not on every move over the window.
    if (event->type() == QEvent::DragEnter)
      dragCarriesPicture_ = drag->mimeData() && PictureIn(*drag->mimeData());
    if (dragCarriesPicture_) {
      drag->acceptProposedAction();
    } else {
      drag->ignore();
    }
    return true;
  }
  if (event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    auto path = drop->mimeData() ? PictureIn(*drop->mimeData()) : std::nullopt;
    if (!path) {
      drop->ignore();
      return true;
    }
    drop->acceptProposedAction();
    platform::HandlerGuard::Run([&] { window_.OpenPicture(*path); });
    return true;
  }
  return false;
}
