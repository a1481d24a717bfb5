#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

// The row under a picture too large for the window: zoom out and in, the
// zoom shown, actual size and fit.
class ZoomBar final : public QWidget {
  Q_OBJECT

 public:
  explicit ZoomBar(QWidget* parent = nullptr);

  void ShowZoom(double zoom);

  QPushButton* cmdZoomOut;
  QLabel* lblZoom;
  QPushButton* cmdZoomIn;
  QPushButton* cmdActualSize;
  QPushButton* cmdFit;
};
