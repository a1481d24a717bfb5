#pragma once

#include <QWidget>

#include "platform/ui/ImageControl.h"

// The help window: the help picture, closed by a click on it or by its close
// box. It deletes itself when closed.
class Form2 final : public QWidget {
  Q_OBJECT

 public:
  explicit Form2(QWidget* parent = nullptr);

  platform::ImageControl* Image1;

 private:
  void Image1_Click();
};
