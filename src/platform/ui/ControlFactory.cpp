#include "platform/ui/ControlFactory.h"

#include "platform/ui/FrameBox.h"
#include "platform/ui/Twips.h"

namespace platform {
namespace {

template <class Control>
Control* Placed(Control* control, float left, float top, float width, float height) {
  Twips::Place(*control, left, top, width, height);
  return control;
}

}  // namespace

QGroupBox* ControlFactory::Frame(QWidget* container, const QString& caption, float left, float top,
                                 float width, float height) {
  return Placed(new FrameBox(caption, container), left, top, width, height);
}

QLabel* ControlFactory::Label(QWidget* container, const QString& caption, float left, float top, float width,
                              float height) {
  auto* label = new QLabel(caption, container);
  // Captions are shown as they stand (a file name may hold "<"), from the top-left corner.
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return Placed(label, left, top, width, height);
}

QPushButton* ControlFactory::Button(QWidget* container, const QString& caption, float left, float top,
                                    float width, float height) {
  auto* button = new QPushButton(caption, container);
  button->setAutoDefault(false);
  return Placed(button, left, top, width, height);
}

QRadioButton* ControlFactory::Option(QWidget* container, const QString& caption, float left, float top,
                                     float width, float height) {
  return Placed(new QRadioButton(caption, container), left, top, width, height);
}

QCheckBox* ControlFactory::CheckBox(QWidget* container, const QString& caption, float left, float top,
                                    float width, float height) {
  return Placed(new QCheckBox(caption, container), left, top, width, height);
}

TextBox* ControlFactory::Text(QWidget* container, const QString& text, float left, float top, float width,
                              float height) {
  auto* box = new TextBox(container);
  box->setText(text);
  return Placed(box, left, top, width, height);
}

PictureBox* ControlFactory::Picture(QWidget* container, float left, float top, float width, float height) {
  auto* picture = new PictureBox(container);
  picture->Move(left, top, width, height);
  return picture;
}

}  // namespace platform
