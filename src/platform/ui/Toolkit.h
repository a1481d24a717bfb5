#pragma once

namespace platform {

// Puts the Qt services behind the plain layers: twips per pixel from the
// screen, the real message box and the system clipboard. Call once a
// QApplication exists.
class Toolkit {
 public:
  static void Install();
};

}  // namespace platform
