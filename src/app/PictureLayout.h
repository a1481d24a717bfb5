#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>

#include "app/PictureZoom.h"
#include "app/ZoomBar.h"
#include "platform/ui/PictureBox.h"

// Where the picture and the result go in the main window: as a load places
// them when they fit, else the picture in a scrolling, zoomable view beside
// the preview with the zoom row under it. The window never reaches past the
// screen's available area.
class PictureLayout {
 public:
  struct Parts {
    QWidget& window;
    platform::PictureBox& source;
    platform::PictureBox& dest;
    // The hidden JPEG save button, whose right edge the window keeps room for.
    QWidget& lastButton;
    ZoomBar& zoomBar;
  };

  // `resultWidth` is the width of the result a selection makes, if any.
  PictureLayout(Parts parts, std::function<int()> resultWidth);

  PictureZoom& Zoom() { return zoom_; }

  // The window-size step: grows to the picture's height, hugs the result's
  // right edge, and keeps room for the buttons; then the pictures take the room
  // the window has. A maximised window keeps its size.
  void FitWindow();
  // Fits the picture, the result and the zoom row into the window.
  void Arrange();
  // The zoom the user last chose, for a picture that doesn't fit at 100 %.
  void ApplyZoomChoice();

 private:
  void KeepWindowOnScreen();
  bool PicturesFitAsTheyAre() const;
  void ShowPicturesAsTheyAre();
  // The room the preview may take beside the view.
  QSize PreviewRoom(const QRect& client, QPoint origin, int gap) const;

  Parts p_;
  std::function<int()> resultWidth_;
  PictureZoom zoom_;
  // The picture sits in a view sized to the window (else as placed).
  bool arranged_ = false;
  // FitWindow's steps are under way; the layout waits for their end.
  bool hold_ = false;
};
