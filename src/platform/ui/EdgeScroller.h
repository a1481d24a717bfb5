#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <functional>

namespace platform {

// Scrolls a view while the pointer rests near one of its edges, faster the
// closer it is: each tick asks for a step toward that edge.
class EdgeScroller final : public QObject {
  Q_OBJECT

 public:
  // `step` is given the scroll wanted, in screen pixels.
  explicit EdgeScroller(std::function<void(QPoint)> step, QObject* parent = nullptr);

  // The pointer is at `pointer` in a view covering `view`; starts or stops the ticks.
  void PointerAt(QPoint pointer, const QRect& view);
  void Stop();
  bool Active() const { return timer_.isActive(); }
  // The step toward the edges the pointer is near, none away from them.
  static QPoint StepFor(QPoint pointer, const QRect& view);

 private:
  QTimer timer_;
  QPoint step_;
  std::function<void(QPoint)> onStep_;
};

}  // namespace platform
