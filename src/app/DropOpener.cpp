#include "app/DropOpener.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>

#include "app/Form1.h"
#include "platform/ui/HandlerGuard.h"

DropOpener::DropOpener(Form1& window) : QObject(&window), window_(window) {
  window.setAcceptDrops(true);
  window.installEventFilter(this);
}

std::optional<std::string> DropOpener::PictureIn(const QMimeData& data) {
  if (!data.hasUrls() || data.urls().size() != 1 || !data.urls().front().isLocalFile()) return std::nullopt;
  QString path = data.urls().front().toLocalFile();
  QFileInfo info(path);
  // The header decides, not the name: a picture renamed still opens, a text file named .jpg does not.
  if (!info.isFile() || QImageReader::imageFormat(path).isEmpty()) return std::nullopt;
  return info.absoluteFilePath().toStdString();
}

std::optional<std::string> DropOpener::PictureArgument(const QStringList& arguments) {
  if (arguments.size() < 2 || arguments[1].isEmpty()) return std::nullopt;
  return QFileInfo(arguments[1]).absoluteFilePath().toStdString();
}

bool DropOpener::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_) return false;
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (drag->mimeData() && PictureIn(*drag->mimeData())) {
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
