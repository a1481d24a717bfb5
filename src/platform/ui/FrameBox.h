#pragma once

#include <QGroupBox>

namespace platform {

// A frame drawn as an etched line with its caption set into the top edge.
// Children are placed freely in it; it draws no layout of its own.
class FrameBox final : public QGroupBox {
  Q_OBJECT

 public:
  FrameBox(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace platform
