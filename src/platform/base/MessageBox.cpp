#include "platform/base/MessageBox.h"

#include <iostream>

#include "platform/base/AppInfo.h"

namespace platform {
namespace {

// Without a window layer (command line, plain tests) messages go to stderr.
int32_t ToStderr(const std::string& text, int32_t, const std::string& title) {
  std::cerr << title << ": " << text << '\n';
  return vbOK;
}

MessageBox::Presenter& Current() {
  static MessageBox::Presenter presenter = ToStderr;
  return presenter;
}

}  // namespace

int32_t MessageBox::Show(const std::string& text, int32_t style, const std::string& title) {
  return Current()(text, style, title.empty() ? AppInfo::Title() : title);
}

MessageBox::Presenter MessageBox::Install(Presenter presenter) {
  Presenter previous = std::move(Current());
  Current() = presenter ? std::move(presenter) : Presenter(ToStderr);
  return previous;
}

}  // namespace platform
