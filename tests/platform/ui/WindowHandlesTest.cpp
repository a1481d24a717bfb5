#include "platform/ui/WindowHandles.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

using platform::WindowHandles;

namespace {

TEST(WindowHandles, NoWindowIsHandleZeroAndBack) {
  EXPECT_EQ(WindowHandles::HandleOf(nullptr), 0);
  EXPECT_EQ(WindowHandles::WidgetOf(0), nullptr);
  EXPECT_EQ(WindowHandles::WidgetOf(-1), nullptr);
}

TEST(WindowHandles, EachWindowKeepsOneHandleOfItsOwn) {
  QWidget first;
  QWidget second;
  int32_t handle = WindowHandles::HandleOf(&first);
  EXPECT_NE(handle, 0);
  EXPECT_NE(handle, -1);
  EXPECT_EQ(WindowHandles::HandleOf(&first), handle);
  EXPECT_NE(WindowHandles::HandleOf(&second), handle);
  EXPECT_EQ(WindowHandles::WidgetOf(handle), &first);
  EXPECT_EQ(WindowHandles::WidgetOf(WindowHandles::HandleOf(&second)), &second);
}

TEST(WindowHandles, AClosedWindowsHandleNamesNoWindowAndIsNotReused) {
  auto window = std::make_unique<QWidget>();
  int32_t handle = WindowHandles::HandleOf(window.get());
  window.reset();
  EXPECT_EQ(WindowHandles::WidgetOf(handle), nullptr);

  QWidget next;
  EXPECT_NE(WindowHandles::HandleOf(&next), handle);
}

}  // namespace
