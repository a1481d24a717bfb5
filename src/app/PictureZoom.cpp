#include "app/PictureZoom.h"

#include <QCursor>
#include <algorithm>
#include <cstdlib>

#include "app/ZoomSteps.h"

PictureZoom::PictureZoom(platform::PictureBox& source, std::function<void()> arrange)
    : source_(source), arrange_(std::move(arrange)) {}

void PictureZoom::By(int steps, QPointF at) {
  double zoom = source_.Zoom();
  const double lowest = std::min(1.0, source_.FitZoom());
  for (int i = 0; i < std::abs(steps); ++i)
    zoom = steps > 0 ? ZoomSteps::In(zoom) : ZoomSteps::Out(zoom, lowest);
  Choose(zoom, false, at);
}

void PictureZoom::ToActualSize() { Choose(1.0, false, Anchor()); }

void PictureZoom::ToFit() { Choose(1.0, true, QPointF()); }

void PictureZoom::Choose(double zoom, bool fit, QPointF at) {
  choice_ = zoom;
  choiceFits_ = fit;
  fits_ = fit;
  if (!fit) source_.SetZoom(zoom, at);
  arrange_();
}

QPointF PictureZoom::Anchor() const {
  const QPoint pointer = source_.mapFromGlobal(QCursor::pos());
  const QRect viewport = source_.Viewport();
  return viewport.contains(pointer) ? QPointF(pointer) : QRectF(viewport).center();
}

void PictureZoom::StartAtActualSize() {
  fits_ = false;
  source_.SetZoom(1.0, QPointF());
}

void PictureZoom::ApplyChoice() {
  if (choiceFits_) {
    fits_ = true;
    arrange_();
  } else if (choice_ != 1.0) {
    source_.SetZoom(choice_, QPointF());
    arrange_();
  }
}
