#include "platform/ui/QtMessageBox.h"

#include <QApplication>

#include "platform/base/MessageBox.h"

namespace platform {

void QtMessageBox::Install() { MessageBox::Install(&QtMessageBox::Present); }

int32_t QtMessageBox::Present(const std::string& text, int32_t style, const std::string& title) {
  const bool yesNo = (style & 0xF) == MsgStyle::YesNo;
  QMessageBox box(IconFor(style), QString::fromStdString(title), QString::fromStdString(text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  if (!yesNo) {
    box.exec();
    return vbOK;
  }
  box.setDefaultButton((style & MsgStyle::DefaultButton2) ? QMessageBox::No : QMessageBox::Yes);
  // Closing the box without an answer (Esc, its close box) is No.
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
}

QMessageBox::Icon QtMessageBox::IconFor(int32_t style) {
  switch (style & 0x70) {
    case MsgStyle::Critical:
      return QMessageBox::Critical;
    case MsgStyle::Exclamation:
      return QMessageBox::Warning;
    case MsgStyle::Information:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace platform
