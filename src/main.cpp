#include <QFileInfo>

#include "app/CommandLineTool.h"
#include "app/DropOpener.h"
#include "app/Form1.h"
#include "platform/base/AppInfo.h"
#include "platform/ui/DesktopSession.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/Toolkit.h"

int main(int argc, char** argv) {
  if (CommandLineTool::Handles(argc, argv)) return CommandLineTool::Main(argc, argv);
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
