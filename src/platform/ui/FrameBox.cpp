#include "platform/ui/FrameBox.h"

#include <QPainter>
#include <QStyle>

namespace platform {

void FrameBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QFontMetrics metrics(font());
  const QRect edge = rect().adjusted(0, metrics.height() / 2, -2, -2);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawRect(edge);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(edge.translated(1, 1));
  if (title().isEmpty()) return;
  const QString shown = QString(title()).remove('&');
  const QRect caption(6, 0, metrics.horizontalAdvance(shown) + 4, metrics.height());
  painter.fillRect(caption, palette().color(backgroundRole()));
  style()->drawItemText(&painter, caption.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::TextShowMnemonic,
                        palette(), isEnabled(), title(), QPalette::WindowText);
}

}  // namespace platform
