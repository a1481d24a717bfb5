#include "platform/ui/ImageControl.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

void ImageControl::SetPicture(QPixmap picture) {
  picture_ = std::move(picture);
  update();
}

void ImageControl::paintEvent(QPaintEvent*) { QPainter(this).drawPixmap(0, 0, picture_); }

void ImageControl::mousePressEvent(QMouseEvent* event) { pressed_ = event->button() == Qt::LeftButton; }

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
  bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click) emit clicked();
}

}  // namespace platform
