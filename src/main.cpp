#include <QApplication>
#include <QFileInfo>

#include "app/Form1.h"
#include "platform/base/AppInfo.h"
#include "platform/ui/Toolkit.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::AppInfo::SetExeName(
      QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString());
  platform::Toolkit::Install();
  Form1 form;
  form.show();
  return app.exec();
}
