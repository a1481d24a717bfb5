#pragma once

#include <QMessageBox>
#include <cstdint>
#include <string>

namespace platform {

// The real, modal message box behind platform::MessageBox.
class QtMessageBox {
 public:
  static void Install();
  static int32_t Present(const std::string& text, int32_t style, const std::string& title);
  static QMessageBox::Icon IconFor(int32_t style);
};

}  // namespace platform
