#pragma once

#include <QPixmap>
#include <QWidget>

namespace platform {

// Shows a stored picture at its own size from the top-left corner, cut off
// where the control is smaller; a left click on it is reported.
class ImageControl final : public QWidget {
  Q_OBJECT

 public:
  explicit ImageControl(QWidget* parent = nullptr) : QWidget(parent) {}

  const QPixmap& Picture() const { return picture_; }
  void SetPicture(QPixmap picture);

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPixmap picture_;
  bool pressed_ = false;
};

}  // namespace platform
