#include "support/pure/MessageRecorder.h"

MessageRecorder::MessageRecorder() {
  previous_ =
      platform::MessageBox::Install([this](const std::string& text, int32_t style, const std::string& title) {
        messages_.push_back({text, style, title});
        if (answers_.empty()) return platform::vbOK;
        const int32_t answer = answers_.front();
        answers_.pop_front();
        return answer;
      });
}

MessageRecorder::~MessageRecorder() { platform::MessageBox::Install(std::move(previous_)); }
