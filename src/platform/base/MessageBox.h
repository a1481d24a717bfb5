#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

// Message box styles the program uses, added together: the buttons, an icon
// and which button is the default. Without YesNo a box has one OK button.
namespace MsgStyle {
constexpr int32_t OkOnly = 0;
constexpr int32_t YesNo = 4;
constexpr int32_t Critical = 16;
constexpr int32_t Exclamation = 48;
constexpr int32_t Information = 64;
constexpr int32_t DefaultButton2 = 256;
}  // namespace MsgStyle

// The button that closed the box.
constexpr int32_t vbOK = 1;
constexpr int32_t vbYes = 6;
constexpr int32_t vbNo = 7;

// A modal message box. The window layer installs the real box; tests install
// one that records and answers, so no test ever waits on a modal box.
class MessageBox {
 public:
  using Presenter = std::function<int32_t(const std::string& text, int32_t style, const std::string& title)>;

  // An empty title means the application title.
  static int32_t Show(const std::string& text, int32_t style = MsgStyle::OkOnly,
                      const std::string& title = "");
  // Returns the presenter that was installed before.
  static Presenter Install(Presenter presenter);
};

}  // namespace platform
