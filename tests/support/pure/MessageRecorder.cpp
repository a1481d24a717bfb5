#include "support/pure/MessageRecorder.h"

MessageRecorder::MessageRecorder() {
  previous_ = platform::MessageBox::Install([this](const std::string& text, int32_t style, const std::string& title) {
    messages_.push_back({text, style, title});
    return platform::vbOK;
  });
}

MessageRecorder::~MessageRecorder() { platform::MessageBox::Install(std::move(previous_)); }
