#include "app/PictureZoom.h"

#include <QCursor>
#include <QShortcut>
#include <algorithm>
#include <cstdlib>

#include "app/ZoomSteps.h"
#include "platform/ui/HandlerGuard.h"

using platform::HandlerGuard;

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

void PictureZoom::Connect(QWidget& window, ZoomBar& bar) {
  const auto in = [this] { By(1, Anchor()); };
  const auto out = [this] { By(-1, Anchor()); };
  const std::pair<QKeySequence, std::function<void()>> keys[] = {
      {QKeySequence::ZoomIn, in},
      {QKeySequence(Qt::CTRL | Qt::Key_Equal), in},
      {QKeySequence::ZoomOut, out},
      {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { ToActualSize(); }},
      {QKeySequence(Qt::Key_F), [this] { ToFit(); }},
  };
  for (const auto& [key, action] : keys) {
    QObject::connect(new QShortcut(key, &window), &QShortcut::activated, &window, HandlerGuard::Wrap(action));
  }
  QObject::connect(&source_, &platform::PictureBox::zoomRequested, &window,
                   HandlerGuard::Wrap([this](int steps, QPointF at) { By(steps, at); }));
  QObject::connect(bar.cmdZoomOut, &QPushButton::clicked, &window, HandlerGuard::Wrap(out));
  QObject::connect(bar.cmdZoomIn, &QPushButton::clicked, &window, HandlerGuard::Wrap(in));
  QObject::connect(bar.cmdActualSize, &QPushButton::clicked, &window,
                   HandlerGuard::Wrap([this] { ToActualSize(); }));
  QObject::connect(bar.cmdFit, &QPushButton::clicked, &window, HandlerGuard::Wrap([this] { ToFit(); }));
}
