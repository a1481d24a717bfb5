#include "platform/ui/Toolkit.h"

#include "platform/ui/QtClipboard.h"
#include "platform/ui/QtMessageBox.h"
#include "platform/ui/QtMessageRoute.h"
#include "platform/ui/ScreenMetrics.h"

namespace platform {

void Toolkit::Install() {
  ScreenMetrics::Apply();
  QtMessageBox::Install();
  QtMessageRoute::Install();
  QtClipboard::Install();
}

}  // namespace platform
