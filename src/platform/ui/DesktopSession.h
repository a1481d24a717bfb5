#pragma once

#include <QApplication>
#include <memory>
#include <ostream>

namespace platform {

// The window's application, started only where there is a desktop to show it
// on. Without one the toolkit aborts with advice to reinstall, which is
// wrong: the command line needs no desktop, and that is what the user hears.
class DesktopSession {
 public:
  static constexpr int kMissingStatus = 1;

  // None when no display is named or the one named can't be reached; the
  // line saying so has then gone to standard error. `argc` must outlive it.
  static std::unique_ptr<QApplication> Start(int& argc, char** argv);
  // True when the environment names a display or a toolkit platform.
  static bool Named();
  static void ReportMissing(std::ostream& err);
};

}  // namespace platform
