#include "app/WindowBars.h"

#include <cmath>

#include "app/SelectionTool.h"
#include "platform/base/Screen.h"

WindowBars::WindowBars(QWidget& window, QWidget& area)
    : window_(window), area_(area), bar_(new QMenuBar(&window)), status_(new QLabel(&window)) {
  status_->setContentsMargins(6, 2, 6, 2);
  status_->setText(QStringLiteral(" "));
  // A long line is cut, never widening the window the frames' layout sizes.
  status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  bar_->setGeometry(0, 0, window.width(), bar_->sizeHint().height());
}

int WindowBars::ExtraHeight() const { return bar_->sizeHint().height() + status_->sizeHint().height(); }

float WindowBars::ExtraHeightTwips() const {
  return static_cast<float>(ExtraHeight()) * platform::Screen::TwipsPerPixelY();
}

// Placed here, not by a layout, so the frames' area follows the window at
// once, shown or not, and the window's size stays FitWindow's to set.
void WindowBars::Place() {
  const int menuHeight = bar_->sizeHint().height();
  const int statusHeight = status_->sizeHint().height();
  const int width = window_.width();
  bar_->setGeometry(0, 0, width, menuHeight);
  area_.setGeometry(0, menuHeight, width, std::max(0, window_.height() - menuHeight - statusHeight));
  status_->setGeometry(0, window_.height() - statusHeight, width, statusHeight);
}

// Where the pointer is in picture pixels, where the frame is and what it
// takes, and the zoom: one label's text, so a move costs one short string.
void WindowBars::ShowStatus(std::optional<QPointF> pointer, const SelectionTool& selection,
                            std::optional<double> zoom) {
  QString text;
  if (pointer)
    text += QStringLiteral("%1, %2 px").arg(std::floor(pointer->x())).arg(std::floor(pointer->y()));
  const auto& frame = selection.Selection();
  const auto& size = selection.ResultSize();
  if (selection.Selecting() && frame && size) {
    const RegionSize region = selection.Region();
    text += QStringLiteral("   Frame at %1, %2, %3 x %4")
                .arg(frame->left)
                .arg(frame->top)
                .arg(region.width)
                .arg(region.height);
    if (region.width != size->width || region.height != size->height) {
      text += QStringLiteral(" to %1 x %2 (x%3)")
                  .arg(size->width)
                  .arg(size->height)
                  .arg(static_cast<double>(region.width) / size->width, 0, 'g', 3);
    }
  }
  if (zoom) text += QStringLiteral("   Zoom %1 %").arg(std::lround(*zoom * 100));
  status_->setText(text.isEmpty() ? QStringLiteral(" ") : text.trimmed());
}
