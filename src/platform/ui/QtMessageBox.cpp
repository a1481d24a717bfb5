#include "platform/ui/QtMessageBox.h"

#include <QApplication>

#include "platform/base/MessageBox.h"

namespace platform {

void QtMessageBox::Install() { MessageBox::Install(&QtMessageBox::Present); }

int32_t QtMessageBox::Present(const std::string& text, int32_t style, const std::string& title) {
  QMessageBox box(IconFor(style), QString::fromStdString(title), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.exec();
  return vbOK;
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
