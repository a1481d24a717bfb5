#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "platform/ui/PictureBox.h"
#include "platform/ui/TextBox.h"

namespace platform {

// Makes the controls of a window, each placed in twips relative to its
// container. An "&" in a caption marks the access key.
class ControlFactory {
 public:
  static QGroupBox* Frame(QWidget* container, const QString& caption, float left, float top, float width,
                          float height);
  static QLabel* Label(QWidget* container, const QString& caption, float left, float top, float width,
                       float height);
  static QPushButton* Button(QWidget* container, const QString& caption, float left, float top, float width,
                             float height);
  static QRadioButton* Option(QWidget* container, const QString& caption, float left, float top, float width,
                              float height);
  static QCheckBox* CheckBox(QWidget* container, const QString& caption, float left, float top, float width,
                             float height);
  static TextBox* Text(QWidget* container, const QString& text, float left, float top, float width,
                       float height);
  static PictureBox* Picture(QWidget* container, float left, float top, float width, float height);
};

}  // namespace platform
