#include "platform/ui/WindowHandles.h"

#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <unordered_map>

namespace platform {

namespace {

constexpr char kHandleProperty[] = "quarvelWindowHandle";

std::unordered_map<int32_t, QPointer<QWidget>>& Registry() {
  static std::unordered_map<int32_t, QPointer<QWidget>> registry;
  return registry;
}

int32_t NextHandle() {
  // Even numbers from 0x10 up, like the system's: far from 0 and -1, which mean "none".
  static int32_t last = 0x0E;
  last += 2;
  return last;
}

}  // namespace

int32_t WindowHandles::HandleOf(QWidget* widget) {
  if (widget == nullptr) {
    return 0;
  }
  QVariant known = widget->property(kHandleProperty);
  if (known.isValid()) {
    return known.toInt();
  }
  int32_t handle = NextHandle();
  widget->setProperty(kHandleProperty, handle);
  Registry().emplace(handle, widget);
  QObject::connect(widget, &QObject::destroyed, [handle] { Registry().erase(handle); });
  return handle;
}

QWidget* WindowHandles::WidgetOf(int32_t handle) {
  auto found = Registry().find(handle);
  return found == Registry().end() ? nullptr : found->second.data();
}

}  // namespace platform
