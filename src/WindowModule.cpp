// The window's side of the program, loaded by the program only when the
// window opens or a picture needs the toolkit's reader.
#include <QCoreApplication>
#include <QFileInfo>
#include <future>
#include <optional>

#include "app/DropOpener.h"
#include "app/Form1.h"
#include "formats/PictureDecoder.h"
#include "formats/qt/QtPictureReader.h"
#include "platform/base/AppInfo.h"
#include "platform/base/LibraryMessages.h"
#include "platform/ui/DesktopSession.h"
#include "platform/ui/HandlerGuard.h"
#include "platform/ui/QtMessageRoute.h"
#include "platform/ui/Toolkit.h"

extern "C" int QuarvelWindowMain(int argc, char** argv) {
  // Before the toolkit starts: what it says while starting is kept from the terminal too.
  platform::QtMessageRoute::Install();
  // A picture named alone decodes on another core while the toolkit starts,
  // which takes about as long.
  std::future<formats::PictureRegion> decoding;
  std::optional<std::string> early;
  if (argc == 2 && argv[1][0] != '-' && platform::DesktopSession::Named()) {
    early = DropOpener::PictureArgument({argv[0], argv[1]});
    decoding = std::async(std::launch::async, formats::DecodePicture, *early);
  }
  auto app = platform::DesktopSession::Start(argc, argv);
  if (!app) return platform::DesktopSession::kMissingStatus;
  platform::AppInfo::SetExeName(
      QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString());
  platform::Toolkit::Install();
  formats::QtPictureReader::Install();
  Form1 form;
  new DropOpener(form);
  form.show();
  // "quarvel PICTURE" opens the picture as if it had been chosen in the open
  // dialog. Qt has taken its own options out of argv by now.
  if (auto path = DropOpener::PictureArgument(std::vector<std::string>(argv, argv + argc))) {
    platform::HandlerGuard::Run([&] {
      if (path == early) {
        form.OpenPicture(*path, std::move(decoding));
      } else {
        form.OpenPicture(*path);
      }
    });
  }
  return app->exec();
}

// The command line reads with the toolkit on its own threads; what the toolkit
// says then belongs to the picture the command line is reading.
extern "C" void QuarvelRouteMessages(platform::LibraryMessages::Forward forward) {
  platform::LibraryMessages::ForwardTo(forward);
  platform::QtMessageRoute::Install();
}

// Qt's image plugins load without an application object: the command line makes none.
extern "C" gdi::Bitmap* QuarvelReadWithQt(const uint8_t* data, size_t size) {
  return formats::QtPictureReader::Decode({data, size}).release();
}
