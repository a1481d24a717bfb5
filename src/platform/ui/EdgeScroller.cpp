#include "platform/ui/EdgeScroller.h"

#include <algorithm>

#include "platform/ui/HandlerGuard.h"

namespace platform {
namespace {

constexpr int kZone = 24;     // screen pixels from the edge where scrolling starts
constexpr int kFastest = 40;  // screen pixels per tick at the very edge
constexpr int kTickMs = 16;

// Toward the low edge negative, toward the high edge positive.
int AxisStep(int position, int low, int high) {
  const int fromLow = position - low;
  const int fromHigh = high - position;
  if (high - low < 3 * kZone) return 0;  // a view this small would scroll at every move
  if (fromLow < kZone) return -((kZone - std::max(0, fromLow)) * kFastest + kZone - 1) / kZone;
  if (fromHigh < kZone) return ((kZone - std::max(0, fromHigh)) * kFastest + kZone - 1) / kZone;
  return 0;
}

}  // namespace

EdgeScroller::EdgeScroller(std::function<void(QPoint)> step, QObject* parent)
    : QObject(parent), onStep_(std::move(step)) {
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, HandlerGuard::Wrap([this] { onStep_(step_); }));
}

void EdgeScroller::PointerAt(QPoint pointer, const QRect& view) {
  step_ = StepFor(pointer, view);
  if (step_.isNull()) {
    Stop();
  } else if (!timer_.isActive()) {
    timer_.start();
  }
}

void EdgeScroller::Stop() { timer_.stop(); }

QPoint EdgeScroller::StepFor(QPoint pointer, const QRect& view) {
  if (!view.contains(pointer)) return QPoint();
  return QPoint(AxisStep(pointer.x(), view.left(), view.right()),
                AxisStep(pointer.y(), view.top(), view.bottom()));
}

}  // namespace platform
