// The window's side of the program, loaded by the program only when the
// window opens or a picture needs the toolkit's reader.
#include <QCoreApplication>
#include <QFileInfo>

#include "app/DropOpener.h"
#include "app/Form1.h"
#include "platform/base/AppInfo.h"
#include "platform/ui/DesktopSession.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/QtPictureReader.h"
#include "platform/ui/Toolkit.h"

extern "C" int QuarvelWindowMain(int argc, char** argv) {
  auto app = platform::DesktopSession::Start(argc, argv);
  if (!app) return platform::DesktopSession::kMissingStatus;
  platform::AppInfo::SetExeName(
      QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString());
  platform::Toolkit::Install();
  Form1 form;
  new DropOpener(form);
  form.show();
  // "quarvel PICTURE" opens the picture as if it had been chosen in the open dialog.
  if (auto path = DropOpener::PictureArgument(QCoreApplication::arguments())) {
    platform::HandlerGuard::Run([&] { form.OpenPicture(*path); });
  }
  return app->exec();
}

// Qt finds its image plugins through an application object: a core one
// serves, and needs no display.
extern "C" gdi::Bitmap* QuarvelReadWithQt(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "quarvel";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  (void)app;
  return platform::QtPictureReader::Decode({data, size}).release();
}
