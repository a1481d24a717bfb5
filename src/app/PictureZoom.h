#pragma once

#include <QPointF>
#include <functional>

#include "app/ZoomBar.h"
#include "platform/ui/PictureBox.h"

// The zoom of a picture too large for the window: the steps in and out, actual
// size and fit, and the user's last choice, kept for the next picture of the run.
class PictureZoom {
 public:
  // `arrange` lays the window out again once the zoom changed.
  PictureZoom(platform::PictureBox& source, std::function<void()> arrange);

  // Ctrl+wheel over the picture, the zoom row's buttons, and the keys:
  // Ctrl+plus and Ctrl+minus, Ctrl+0 for actual size and F to fit.
  void Connect(QWidget& window, ZoomBar& bar);

  // The zoom follows the window, showing the whole picture.
  bool Fits() const { return fits_; }

  // Steps in (positive) or out around a widget point of the picture.
  void By(int steps, QPointF at);
  void ToActualSize();
  void ToFit();
  // Around the pointer when it is over the picture, else around the view's centre.
  QPointF Anchor() const;

  // A new picture is laid out at actual size first: at that size it either fits or takes the user's zoom.
  void StartAtActualSize();
  // The user's choice, for a picture that didn't fit at actual size.
  void ApplyChoice();

 private:
  void Choose(double zoom, bool fit, QPointF at);

  platform::PictureBox& source_;
  std::function<void()> arrange_;
  bool fits_ = false;
  double choice_ = 1.0;
  bool choiceFits_ = false;
};
