#include "platform/ui/DesktopSession.h"

#include <cstdlib>
#include <iostream>
#include <utility>
#include <vector>

namespace platform {

namespace {

// What the toolkit says while it starts, held back until it is known to have
// started: a display that can't be reached is then said in one line.
std::vector<std::pair<QtMsgType, QString>> heldMessages;

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// The toolkit's only fatal message while it starts is the display it can't reach.
void HoldOrExit(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtFatalMsg) {
    heldMessages.emplace_back(type, message);
    return;
  }
  DesktopSession::ReportMissing(std::cerr);
  std::_Exit(DesktopSession::kMissingStatus);
}

void Replay(QtMsgType type, const QString& message) {
  const QByteArray text = message.toLocal8Bit();
  switch (type) {
    case QtDebugMsg:
      qDebug("%s", text.constData());
      break;
    case QtInfoMsg:
      qInfo("%s", text.constData());
      break;
    default:
      qWarning("%s", text.constData());
      break;
  }
}

}  // namespace

std::unique_ptr<QApplication> DesktopSession::Start(int& argc, char** argv) {
  if (!Named()) {
    ReportMissing(std::cerr);
    return nullptr;
  }
  const QtMessageHandler previous = qInstallMessageHandler(HoldOrExit);
  auto app = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previous);
  for (const auto& [type, message] : heldMessages) Replay(type, message);
  heldMessages.clear();
  return app;
}

bool DesktopSession::Named() { return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY"); }

void DesktopSession::ReportMissing(std::ostream& err) {
  err << "quarvel: the window needs a desktop session, and none was found; "
         "the command line works without one: quarvel --help"
      << std::endl;
}

}  // namespace platform
