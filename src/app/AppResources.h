#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>

// What both windows share: the icon, the help picture and the window font.
class AppResources {
 public:
  static QIcon Icon();
  static QPixmap HelpPicture();
  // Small and narrow enough that every caption fits its control at 96 dpi.
  static QFont WindowFont();
};
