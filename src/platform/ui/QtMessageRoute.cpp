#include "platform/ui/QtMessageRoute.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstring>

#include "platform/base/LibraryMessages.h"
#include "platform/base/PrintableName.h"

namespace platform {
namespace {

// A fatal line ends the program right after: it is the only one said as it stands.
void Route(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  const QByteArray text = message.toUtf8();
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "quarvel: %s\n", PrintableName::Line(text.toStdString()).c_str());
    return;
  }
  const bool named = context.category && std::strcmp(context.category, "default") != 0;
  LibraryMessages::Note(named ? context.category : "", text.toStdString());
}

}  // namespace

void QtMessageRoute::Install() { qInstallMessageHandler(Route); }

}  // namespace platform
