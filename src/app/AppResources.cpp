#include "app/AppResources.h"

#include <mutex>

// The pictures are compiled into the static app library; this pulls them in.
// Outside any namespace, as the resource initialiser must be.
static void RegisterOnce() {
  static std::once_flag registered;
  std::call_once(registered, [] { Q_INIT_RESOURCE(quarvel); });
}

QIcon AppResources::Icon() {
  RegisterOnce();
  return QIcon(QStringLiteral(":/quarvel.png"));
}

QPixmap AppResources::HelpPicture() {
  RegisterOnce();
  return QPixmap(QStringLiteral(":/help.png"));
}

QFont AppResources::WindowFont() {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(11);
  // The condensed face where it is installed, else the regular one narrowed.
  font.setStretch(QFont::SemiCondensed);
  return font;
}
