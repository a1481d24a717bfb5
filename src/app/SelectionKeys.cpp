#include "app/SelectionKeys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/ui/HandlerGuard.h"

using platform::HandlerGuard;

SelectionKeys::SelectionKeys(QWidget* window, Handlers handlers)
    : QObject(window), window_(window), handlers_(std::move(handlers)) {
  // The application sees a key before the control with the focus does.
  QCoreApplication::instance()->installEventFilter(this);
}

SelectionKeys::~SelectionKeys() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

bool SelectionKeys::InWindow(QObject* watched) const {
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget && window_ && widget->window() == window_;
}

bool SelectionKeys::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress && type != QEvent::ContextMenu)
    return false;
  if (!InWindow(watched)) return false;
  if (type == QEvent::ContextMenu && swallowContextMenu_) {
    swallowContextMenu_ = false;
    return true;
  }
  swallowContextMenu_ = false;
  if (!handlers_.active()) return false;
  if (type == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    return KeyPressed(key->key(), key->modifiers());
  }
  if (type == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() != Qt::RightButton) {
    return false;
  }
  swallowContextMenu_ = type == QEvent::MouseButtonPress;
  HandlerGuard::Run(handlers_.cancel);
  return true;
}

bool SelectionKeys::KeyPressed(int key, Qt::KeyboardModifiers modifiers) {
  const int step = (modifiers & Qt::ShiftModifier) ? kTile : 1;
  switch (key) {
    case Qt::Key_Escape:
      HandlerGuard::Run(handlers_.cancel);
      return true;
    case Qt::Key_Left:
      HandlerGuard::Run([&] { handlers_.nudge(-step, 0); });
      return true;
    case Qt::Key_Right:
      HandlerGuard::Run([&] { handlers_.nudge(step, 0); });
      return true;
    case Qt::Key_Up:
      HandlerGuard::Run([&] { handlers_.nudge(0, -step); });
      return true;
    case Qt::Key_Down:
      HandlerGuard::Run([&] { handlers_.nudge(0, step); });
      return true;
    case Qt::Key_BracketRight:
      HandlerGuard::Run([&] { handlers_.grow(1); });
      return true;
    case Qt::Key_BracketLeft:
      HandlerGuard::Run([&] { handlers_.grow(-1); });
      return true;
    case Qt::Key_Backslash:
      HandlerGuard::Run([&] { handlers_.grow(0); });
      return true;
    case Qt::Key_A:
      HandlerGuard::Run(handlers_.fit);
      return true;
    case Qt::Key_G:
      return Offer((modifiers & Qt::ShiftModifier) ? handlers_.gridSize : handlers_.grid);
    case Qt::Key_R:
      return Offer(handlers_.reduce);
    case Qt::Key_L:
      return Offer(handlers_.linear);
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      HandlerGuard::Run(handlers_.fix);
      return true;
    default:
      return false;
  }
}

bool SelectionKeys::Offer(const std::function<void()>& handler) {
  if (!handler) return false;
  HandlerGuard::Run(handler);
  return true;
}
