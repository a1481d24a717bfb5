#include "app/PictureLayout.h"

#include <QScopedValueRollback>
#include <algorithm>

#include "platform/base/Screen.h"
#include "platform/ui/ScreenMetrics.h"
#include "platform/ui/Twips.h"

using platform::Twips;

namespace {

// Twips between the picture and the preview, as a load places them, and kept
// free at the window's edges when the picture is in a view.
constexpr float kPictureGap = 120.0f;
// The preview keeps room for the larger offered crop beside a view.
constexpr int kPreviewRoom = 256;
// The smallest view, in pixels, in the smallest window.
constexpr int kMinView = 48;

}  // namespace

PictureLayout::PictureLayout(Parts parts, std::function<int()> resultWidth)
    : p_(parts), resultWidth_(std::move(resultWidth)), zoom_(parts.source, [this] { Arrange(); }) {}

// Sums in single precision, as the window's geometry is kept.
void PictureLayout::FitWindow() {
  {
    const QScopedValueRollback<bool> hold(hold_, true);
    QWidget& window = p_.window;
    if (Twips::WindowState(window) != 2) {
      float h = p_.source.Height() + p_.source.Top() + 600.0f;
      if (h > Twips::OuterHeight(window)) Twips::SetOuterHeight(window, h);
      Twips::SetOuterWidth(window, p_.dest.Left() + p_.dest.Width() + 250.0f);
      float w = Twips::Left(p_.lastButton) + Twips::Width(p_.lastButton) + 250.0f;
      if (w > Twips::OuterWidth(window)) Twips::SetOuterWidth(window, w);
      KeepWindowOnScreen();
    }
  }
  Arrange();
}

void PictureLayout::KeepWindowOnScreen() {
  QWidget& window = p_.window;
  const QRect area = platform::ScreenMetrics::AvailableArea(window);
  if (area.isEmpty()) return;
  const QSize frame = window.frameGeometry().size() - window.size();
  const QSize most = (area.size() - frame).expandedTo(window.minimumSize());
  if (window.width() > most.width() || window.height() > most.height())
    window.resize(window.size().boundedTo(most));
  const QRect outer = window.frameGeometry();
  const QPoint inside(
      std::clamp(outer.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
      std::clamp(outer.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
  if (inside != outer.topLeft()) window.move(inside);
}

void PictureLayout::Arrange() {
  if (hold_) return;
  const QScopedValueRollback<bool> hold(hold_, true);
  // Fitting a picture that fits at actual size is showing it as it is.
  if (zoom_.Fits()) p_.source.SetZoom(1.0, QPointF());
  if (PicturesFitAsTheyAre()) {
    ShowPicturesAsTheyAre();
    return;
  }
  QWidget& window = p_.window;
  const QRect client = window.rect();
  const int gap = Twips::ToPixelsX(kPictureGap);
  const QPoint origin = p_.source.pos();
  const QSize preview = PreviewRoom(client, origin, gap);
  // FitWindow leaves 250 twips right of the preview, frame included: the same
  // room here keeps the view's size when FitWindow hugs it.
  const int right =
      std::max(gap, Twips::ToPixelsX(250.0f) - (window.frameGeometry().width() - window.width()));
  const QSize room(client.width() - origin.x() - gap - right - preview.width(),
                   client.height() - origin.y() - 2 * gap - p_.zoomBar.sizeHint().height());
  p_.source.SetViewLimit(room.expandedTo(QSize(kMinView, kMinView)));
  if (zoom_.Fits()) p_.source.SetZoom(p_.source.FitZoom(), QPointF());
  const QRect view = p_.source.geometry();
  p_.dest.SetViewLimit(preview);
  p_.dest.SetLeft(static_cast<float>(view.right() + 1) * platform::Screen::TwipsPerPixelX() + kPictureGap);
  p_.zoomBar.setGeometry(QRect(QPoint(origin.x(), view.bottom() + 1 + gap / 2), p_.zoomBar.sizeHint()));
  p_.zoomBar.ShowZoom(p_.source.Zoom());
  p_.zoomBar.show();
  arranged_ = true;
}

bool PictureLayout::PicturesFitAsTheyAre() const {
  const platform::PictureBox& source = p_.source;
  const platform::PictureBox& dest = p_.dest;
  if (source.Zoom() != 1.0) return false;
  const QRect client = p_.window.rect();
  // Beside the picture is where a load puts the preview.
  const float destLeft = arranged_ ? source.Left() + source.Width() + kPictureGap : dest.Left();
  return Twips::ToPixelsX(source.Left() + source.Width()) <= client.width() &&
         Twips::ToPixelsY(source.Top() + source.Height()) <= client.height() &&
         Twips::ToPixelsX(destLeft + dest.Width()) <= client.width() &&
         Twips::ToPixelsY(dest.Top() + dest.Height()) <= client.height();
}

void PictureLayout::ShowPicturesAsTheyAre() {
  p_.source.SetViewLimit(std::nullopt);
  p_.dest.SetViewLimit(std::nullopt);
  if (arranged_) p_.dest.SetLeft(p_.source.Left() + p_.source.Width() + kPictureGap);
  arranged_ = false;
  p_.zoomBar.hide();
}

QSize PictureLayout::PreviewRoom(const QRect& client, QPoint origin, int gap) const {
  const int cap = std::max(kPreviewRoom, resultWidth_ ? resultWidth_() : 0);
  const int half = std::max(0, (client.width() - origin.x() - 3 * gap) / 2);
  return QSize(
      std::min({static_cast<int>(p_.dest.ScaleWidth()), cap, half}),
      std::min(static_cast<int>(p_.dest.ScaleHeight()), std::max(0, client.height() - origin.y() - gap)));
}

void PictureLayout::ApplyZoomChoice() {
  if (arranged_) zoom_.ApplyChoice();
}
