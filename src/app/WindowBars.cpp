#include "app/WindowBars.h"

#include <algorithm>

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
