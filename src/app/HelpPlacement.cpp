#include "app/HelpPlacement.h"

#include <algorithm>

std::optional<QPoint> HelpPlacement::Beside(const QRect& mainFrame, QSize helpFrame, const QRect& available) {
  if (available.isEmpty() || helpFrame.height() > available.height()) return std::nullopt;
  const int top = std::clamp(mainFrame.top(), available.top(), available.bottom() + 1 - helpFrame.height());
  if (mainFrame.right() + 1 + helpFrame.width() <= available.right() + 1)
    return QPoint(mainFrame.right() + 1, top);
  if (mainFrame.left() - helpFrame.width() >= available.left())
    return QPoint(mainFrame.left() - helpFrame.width(), top);
  return QPoint(std::max(available.left(), available.right() + 1 - helpFrame.width()), top);
}
