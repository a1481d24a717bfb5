#pragma once

#include <cstdint>

class QWidget;

namespace platform {

// 32-bit handles for the program's windows, so code written against window
// handles can name an owner window. 0 stands for no window; a handle is never
// reused, and a destroyed window's handle names no window any more.
class WindowHandles {
 public:
  static int32_t HandleOf(QWidget* widget);
  static QWidget* WidgetOf(int32_t handle);
};

}  // namespace platform
